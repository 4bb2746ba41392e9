#include "Cp932Validator.h"

#include "Cp932.h"
#include "Cp932Input.h"

namespace ui {

Cp932Validator::Cp932Validator(QObject* parent, std::function<void(const QString&)> refused)
    : QValidator(parent), refused_(std::move(refused)) {}

QValidator::State Cp932Validator::validate(QString& input, int& position) const {
    const Cp932Input all = keepCp932Characters(input.toStdString());
    if (all.refused.empty()) return Acceptable;
    // The cursor stays where it was among the characters that stay.
    const Cp932Input beforeCursor = keepCp932Characters(input.left(position).toStdString());
    input = QString::fromStdString(cp932::toUtf8(all.kept));
    position = static_cast<int>(QString::fromStdString(cp932::toUtf8(beforeCursor.kept)).size());
    if (refused_) refused_(QString::fromStdString(all.refused));
    return Acceptable;
}

}  // namespace ui
