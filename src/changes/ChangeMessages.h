// What the user is told when a change to an entry cannot be made or undone.
#pragma once

#include "windows.h"

#include <string>

// Another Kivora is changing entries; the change was not begun.
void tellAnotherSetupRuns();

// A failed change could not be put back: the entry is named, with the code.
void tellNotRestored(const std::string& entryName, DWORD code);
