// The program's dialog templates, string table and icons, compiled in.
#pragma once

#include "DialogTemplate.h"
#include "Resource.h"

namespace resources {

const ui::DialogTemplate& dialogTemplate(DialogId id);

// The CP932 string of the table; empty for an id the table lacks.
const char* loadString(unsigned id);

const ui::Icon& icon(IconId id);

// The program's version, as the about box shows it ("1.0.0").
const char* programVersion();

}  // namespace resources
