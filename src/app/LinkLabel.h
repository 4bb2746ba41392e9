// A static text with a font and colours of its own, for a heading in a face,
// size and weight other than the dialog's. A click on it opens its text with
// the shell; a static without SS_NOTIFY never hears the click, though, so
// the main menu's title opens nothing. Attached to a template's static by
// the dialog's data exchange.
#pragma once

#include "Control.h"
#include "Dialog.h"
#include "windows.h"

class LinkLabel : public ui::Control {
public:
    // Colours of the system's window text on its button face; the font the
    // stock GUI font.
    LinkLabel();

    // Each change rebuilds the font and redraws the label at once. The face
    // keeps at most LF_FACESIZE - 1 bytes, whole characters only.
    LinkLabel& setFontFace(const char* face);
    // height: the character height in pixels.
    LinkLabel& setFontHeight(int height);
    LinkLabel& setFontBold(bool bold);

    const ui::FontDescription& font() const { return font_; }
    COLORREF textColour() const { return textColour_; }
    COLORREF backgroundColour() const { return backgroundColour_; }

protected:
    void onAttached() override;
    void onClicked() override;

private:
    void rebuild();

    COLORREF textColour_;
    COLORREF backgroundColour_;
    ui::FontDescription font_;
};
