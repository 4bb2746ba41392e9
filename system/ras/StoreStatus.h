// The outcome of a store operation: a Windows error code for callers of the
// entry points, and a sentence for people (kivora-sys prints it).
#pragma once

#include "windows.h"

#include <string>
#include <utility>

namespace standin::ras {

struct Status {
    DWORD code = ERROR_SUCCESS;
    std::string detail;
    bool ok() const { return code == ERROR_SUCCESS; }
};

inline Status failure(DWORD code, std::string detail) {
    return {code, std::move(detail)};
}

}  // namespace standin::ras
