// One Kivora at a time changes entries on a system: two migrations at once
// would offer the same entries twice, and a start's recovery must not put
// back a change that another Kivora is still making. Held for the object's
// life through a named mutex, as Windows programs keep one instance.
#pragma once

#include "windows.h"

class SetupLock {
public:
    SetupLock();
    ~SetupLock();
    SetupLock(const SetupLock&) = delete;
    SetupLock& operator=(const SetupLock&) = delete;

    // False when another Kivora holds it (or no mutex could be made).
    bool held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};
