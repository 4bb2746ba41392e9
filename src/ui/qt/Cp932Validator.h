// Refuses, at the edit, any text that CP932 cannot hold: the program keeps
// every text in CP932 and must never receive a character it would lose.
#pragma once

#include <QValidator>

namespace ui {

class Cp932Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

}  // namespace ui
