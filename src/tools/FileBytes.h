// What a provider file's bytes say before any reader splits them: its
// encoding, a byte-order mark, NUL bytes and the kinds of line end. Lines
// are numbered as the program's line reader numbers them: CR, LF and CR LF
// each end one line.
#pragma once

#include "Findings.h"

#include <string>
#include <string_view>

// `whatTheMarkDoes` tells, for this file, what the program makes of a UTF-8
// byte-order mark, and `markSeverity` how much that matters.
void checkFileBytes(std::string_view bytes, const std::string& file, std::string_view whatTheMarkDoes,
                    Severity markSeverity, Findings& findings);

// The whole file, or nothing when it cannot be read.
std::string readFileBytes(const std::string& path);
