// kivora-check's look at Logo.png: decoded and drawn as the form does it.
#pragma once

#include "Findings.h"

#include <string>

void checkLogo(const std::string& path, Findings& findings);
