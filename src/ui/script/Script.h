// The script of the script backend: what the user does, one action a line.
//   set ID TEXT | select ID INDEX | choose ID TEXT | click ID | key ID NAME
//   close | sysmenu ID | answer OK|CANCEL | dump
// '#' starts a comment line, blank lines are skipped; TEXT is the rest of
// the line after one space, with \n, \t and \\ escapes. docs/automation.md
// describes the language.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace ui {

enum class ScriptVerb { Set, Select, Choose, Click, Key, Close, SysMenu, Answer, Dump };

struct ScriptAction {
    std::string line;  // as written, for the transcript
    ScriptVerb verb = ScriptVerb::Dump;
    int id = 0;
    int number = 0;    // select: the index; key: the virtual key; answer: IDOK or IDCANCEL
    std::string text;  // set, choose: UTF-8
};

struct ParsedScript {
    std::vector<ScriptAction> actions;
    std::string error;  // "line N: reason" for the first bad line; empty when none
};

ParsedScript parseScript(std::istream& input);

}  // namespace ui
