#include "EntryNameCheck.h"

bool phonebookAcceptsName(const RasFunctionTable& remoteAccess, const std::string& name) {
    if (remoteAccess.RasValidateEntryNameA == nullptr) return true;
    return remoteAccess.RasValidateEntryNameA(nullptr, name.c_str()) != ERROR_INVALID_NAME;
}
