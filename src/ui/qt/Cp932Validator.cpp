#include "Cp932Validator.h"

#include "Cp932.h"

namespace ui {

namespace {

bool fitsCp932(const QString& text) {
    std::string cp932Text;
    return cp932::fromUtf8(text.toStdString(), cp932Text);
}

}  // namespace

Cp932Validator::Cp932Validator(QObject* parent, std::function<void(const QString&)> refused)
    : QValidator(parent), refused_(std::move(refused)) {}

QValidator::State Cp932Validator::validate(QString& input, int& position) const {
    if (fitsCp932(input)) return Acceptable;
    // Character by character (a surrogate pair is one), keeping the cursor
    // where it was among the characters that stay.
    QString kept;
    QString left;
    int keptBeforeCursor = 0;
    for (int i = 0; i < input.size();) {
        const int length = input.at(i).isHighSurrogate() && i + 1 < input.size() ? 2 : 1;
        const QString character = input.mid(i, length);
        if (fitsCp932(character)) {
            kept += character;
            if (i < position) keptBeforeCursor += length;
        } else if (!left.contains(character)) {
            left += character;
        }
        i += length;
    }
    input = kept;
    position = keptBeforeCursor;
    if (refused_) refused_(left);
    return Acceptable;
}

}  // namespace ui
