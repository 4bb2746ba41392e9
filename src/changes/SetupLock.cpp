#include "SetupLock.h"

SetupLock::SetupLock() {
    mutex_ = CreateMutexA(nullptr, FALSE, "Kivora.Setup");
    held_ = mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

SetupLock::~SetupLock() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}
