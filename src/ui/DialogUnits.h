// Dialog units to pixels, the way the Windows dialog manager converts them:
// a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.
#pragma once

#include "DialogTemplate.h"

namespace ui {

struct BaseUnits {
    int x = 0;
    int y = 0;
};

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when denominator is 0 or the result does not fit.
int mulDiv(int number, int numerator, int denominator);

// Base units of a font: alphabetWidth is the width of "a".."z" "A".."Z"
// written out, fontHeight the font's cell height, both in pixels.
BaseUnits baseUnitsOf(int alphabetWidth, int fontHeight);

// The letters whose width gives the horizontal base unit.
inline constexpr const char* kBaseUnitAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

int dluToPixelsX(int x, BaseUnits base);
int dluToPixelsY(int y, BaseUnits base);
Rect dluToPixels(const Rect& dialogUnits, BaseUnits base);

}  // namespace ui
