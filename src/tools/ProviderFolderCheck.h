// kivora-check's checks: a provider folder read file by file with the
// program's own readers, and what the program will make of it.
#pragma once

#include "Findings.h"

#include <string>

// Adds to `findings` everything worth telling about the provider files in
// `folder`, as the program would read them standing beside it.
void checkProviderFolder(const std::string& folder, Findings& findings);
