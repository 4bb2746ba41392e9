// Where the program's own lines of text go. On Windows kivora.exe is a
// windowed program: it has no console of its own, and what it writes
// reaches the console it was typed in only once it joins that console.
#pragma once

#include <string>

#ifdef _WIN32
// Joins the console the program was started from, if there is one, for
// standard output and error that lead nowhere (nothing redirected them).
void joinStartingConsole();
#endif

// Writes `text` to standard output, or to standard error when it tells of a
// problem. Where that reaches no one (on Windows: no console, nothing
// redirected) the text is shown in a message box instead.
void tellUser(const std::string& text, bool problem);
