#include "Cp932Validator.h"

#include "Cp932.h"

namespace ui {

QValidator::State Cp932Validator::validate(QString& input, int&) const {
    std::string cp932Text;
    return cp932::fromUtf8(input.toStdString(), cp932Text) ? Acceptable : Invalid;
}

}  // namespace ui
