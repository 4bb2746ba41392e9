// Keeps out of an edit, as it is typed or pasted, every character that
// CP932 cannot hold (keepCp932Characters); what was left out is reported,
// so that the edit can say so.
#pragma once

#include <QValidator>

#include <functional>

namespace ui {

class Cp932Validator : public QValidator {
public:
    // refused: called with the characters left out, once per change.
    Cp932Validator(QObject* parent, std::function<void(const QString&)> refused);
    State validate(QString& input, int& position) const override;

private:
    std::function<void(const QString&)> refused_;
};

}  // namespace ui
