// Makes an entry the connection the system dials when a program needs the
// Internet: auto-dial on for the current user, and the entry named where the
// platform looks for it (per machine on Windows XP, per user elsewhere).
#pragma once

// Writes the three registry values; keys are opened, never created, and a
// key that is missing or may not be written is passed over without a word.
// Returns 0, writing nothing, when no name is given; else 1.
int setDefaultConnection(const char* entryName);
