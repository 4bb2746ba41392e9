#include "LinkLabel.h"

#include "Backend.h"
#include "Cp932.h"

#include <cstring>

LinkLabel::LinkLabel()
    : textColour_(ui::systemColour(COLOR_WINDOWTEXT)),
      backgroundColour_(ui::systemColour(COLOR_BTNFACE)),
      font_(ui::defaultGuiFont()) {}

LinkLabel& LinkLabel::setFontFace(const char* face) {
    std::size_t length = face != nullptr ? std::strlen(face) : 0;
    std::size_t kept = 0;
    while (kept < length) {
        std::size_t step = cp932::isLeadByte(static_cast<unsigned char>(face[kept])) ? 2 : 1;
        if (kept + step > length || kept + step > static_cast<std::size_t>(LF_FACESIZE - 1)) break;
        kept += step;
    }
    font_.face.assign(face != nullptr ? face : "", kept);
    rebuild();
    return *this;
}

LinkLabel& LinkLabel::setFontHeight(int height) {
    font_.height = height;
    rebuild();
    return *this;
}

LinkLabel& LinkLabel::setFontBold(bool bold) {
    font_.weight = bold ? FW_BOLD : FW_NORMAL;
    rebuild();
    return *this;
}

void LinkLabel::onAttached() {
    dialog()->setControlColours(controlId(), {textColour_, backgroundColour_});
    rebuild();
}

void LinkLabel::rebuild() {
    if (!isAttached()) return;
    dialog()->setControlFont(controlId(), font_);
    dialog()->redrawControl(controlId());
}

void LinkLabel::onClicked() {
    std::string target = dialog()->controlText(controlId());
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
