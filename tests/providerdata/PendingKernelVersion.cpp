// The kernel stand-in does not answer GetVersionExA yet, but the platform
// library that finds the program directory refers to it. This weak fallback
// lets the provider-data tests link meanwhile; the stand-in's own definition
// takes precedence as soon as it exists, and this file can then go.
#include "windows.h"

extern "C" __attribute__((weak)) BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA) { return FALSE; }
