// Another Kivora, for an end-to-end case under Wine: holds the named mutex
// NAME, makes FILE once it does, and lets go when FILE is gone.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HANDLE mutex = CreateMutexA(nullptr, TRUE, argv[1]);
    if (mutex == nullptr) return 1;
    HANDLE held = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(held);
    while (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) Sleep(10);
    CloseHandle(mutex);
    return 0;
}
