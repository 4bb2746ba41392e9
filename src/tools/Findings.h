// What kivora-check found, and the two ways of printing it: compiler-style
// lines for people and editors, JSON for a provider's own CI.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Note, Warning, Error };

struct Finding {
    std::string file;  // as the user named it: the folder joined with the file name
    std::size_t line;  // 0: the whole file (or folder)
    Severity severity;
    std::string message;  // UTF-8
};

class Findings {
public:
    void add(std::string file, std::size_t line, Severity severity, std::string message);

    const std::vector<Finding>& all() const { return findings_; }
    std::size_t count(Severity severity) const;
    // 0 clean or notes only, 1 warnings, 2 errors.
    int exitStatus() const;

    // File by file in the order first met, then by line; equal lines keep
    // the order they were found in.
    void sort();

private:
    std::vector<Finding> findings_;
};

// FILE:LINE: severity: message (FILE: severity: message for a whole file),
// one a line, then a summary line.
void printText(std::ostream& out, const Findings& findings);
// {"findings": [{"file", "line", "severity", "message"}...], "errors", "warnings", "notes"}.
void printJson(std::ostream& out, const Findings& findings);

// A provider's CP932 text as the terminal shows it, in double quotes; bytes
// that are not CP932 appear as \xNN.
std::string shown(std::string_view cp932Text);
