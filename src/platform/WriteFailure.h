// The warning shown when a write to the phonebook failed: a heading that says
// what failed, an empty line, and the reason chosen by the error code.
#pragma once

#include "windows.h"

#include <string>

// The program's own codes. Bit 29 marks a code as an application's own, so
// no system code can ever mean something else by it.
// A new number whose area code part is longer than 10 bytes or whose local
// number is longer than 128 (or a modem name longer than 128): the entry's
// fields cannot hold it, and a cut number would dial somewhere else.
constexpr DWORD kErrorNumberDoesNotFit = 0x20000001;
// The journal that makes a change undoable could not be written, so the
// change was not made.
constexpr DWORD kErrorJournalUnwritable = 0x20000002;

// `heading` followed by an empty line and the reason for `code`; codes
// without a reason of their own are given as a number.
std::string writeFailureMessage(const char* heading, DWORD code);
