#include "DialogUnits.h"

#include <cstdint>
#include <limits>

namespace ui {

int mulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t absProduct = product < 0 ? -product : product;
    std::int64_t absDenominator = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    std::int64_t quotient = (absProduct + absDenominator / 2) / absDenominator;
    if ((product < 0) != (denominator < 0)) quotient = -quotient;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(quotient);
}

BaseUnits baseUnitsOf(int alphabetWidth, int fontHeight) {
    return BaseUnits{(alphabetWidth / 26 + 1) / 2, fontHeight};
}

int dluToPixelsX(int x, BaseUnits base) { return mulDiv(x, base.x, 4); }
int dluToPixelsY(int y, BaseUnits base) { return mulDiv(y, base.y, 8); }

Rect dluToPixels(const Rect& dialogUnits, BaseUnits base) {
    return Rect{dluToPixelsX(dialogUnits.left, base), dluToPixelsY(dialogUnits.top, base),
                dluToPixelsX(dialogUnits.width, base), dluToPixelsY(dialogUnits.height, base)};
}

}  // namespace ui
