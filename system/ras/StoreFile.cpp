#include "StoreFile.h"

#include "ras.h"

#include <cstring>

namespace standin::ras {

std::string damagedFile(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " " + path + " is damaged and was left as it is: " + reason;
}

Status unreadableFile(const char* what, const std::string& path, const std::string& reason) {
    return failure(ERROR_CANNOT_OPEN_PHONEBOOK, std::string(what) + " " + path + " cannot be read: " + reason);
}

Status unwritableFile(const std::string& path, int error) {
    return unwritableFile(path, std::strerror(error));
}

Status unwritableFile(const std::string& path, const std::string& reason) {
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, "cannot write " + path + ": " + reason);
}

}  // namespace standin::ras
