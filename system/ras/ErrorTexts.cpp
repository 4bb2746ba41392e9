#include "ErrorTexts.h"

#include "ras.h"

namespace standin::ras {

namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {ERROR_INVALID_HANDLE, "The connection handle is not that of an active connection."},
    {ERROR_INVALID_PARAMETER, "A parameter is not valid, or a value cannot be stored in the phonebook."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not available in this system."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer is too small for the text."},
    {ERROR_INVALID_NAME, "The entry name is not valid."},
    {ERROR_ALREADY_EXISTS, "An entry or device of that name already exists."},
    {ERROR_BUFFER_TOO_SMALL, "The buffer is too small; the size needed has been returned."},
    {ERROR_BUFFER_INVALID, "The address or the buffer it points to is not valid."},
    {ERROR_CANNOT_OPEN_PHONEBOOK,
     "The phonebook cannot be opened: it is damaged or unreadable, or it is not the default phonebook."},
    {ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "The phonebook entry does not exist."},
    {ERROR_CANNOT_WRITE_PHONEBOOK, "The phonebook cannot be written."},
    {ERROR_INVALID_SIZE, "The structure size (dwSize) is not valid."},
    {ERROR_DEVICE_DOES_NOT_EXIST, "The device does not exist."},
    {ERROR_ACCESS_DENIED, "Access is denied: changing the dial-up settings needs the administrator's rights."},
    // Answered by the ppp service when pppd does not bring the link up.
    {ERROR_INVALID_USER_BUFFER, "Dial-up networking cannot run in this environment."},
    {602, "The port is already open."},
    {628, "The connection was closed."},
    {629, "The connection was closed by the remote computer."},
    {633, "The modem is not available."},
    {678, "There was no answer."},
    {691, "Access was denied because the user name or password is not valid."},
};

}  // namespace

const char* errorText(DWORD code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) return entry.text;
    }
    return nullptr;
}

}  // namespace standin::ras
