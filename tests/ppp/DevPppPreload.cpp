// A test-only preload for pppd on machines whose kernel has no PPP: opening
// /dev/ppp opens /dev/null instead, so that pppd goes on past its device
// check and runs its own checks and its connect line. Nothing else changes.
#include <dlfcn.h>
#include <fcntl.h>

#include <cstdarg>
#include <cstring>

namespace {

const char* redirected(const char* path) { return path != nullptr && std::strcmp(path, "/dev/ppp") == 0 ? "/dev/null" : path; }

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t modeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return next<int (*)(const char*, int, ...)>("open")(redirected(path), flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return next<int (*)(const char*, int, ...)>("open64")(redirected(path), flags, mode);
}

int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return next<int (*)(int, const char*, int, ...)>("openat")(directory, redirected(path), flags, mode);
}

}  // extern "C"
