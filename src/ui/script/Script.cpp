#include "Script.h"

#include "windows.h"

#include <charconv>
#include <map>

namespace ui {

namespace {

const std::map<std::string, ScriptVerb, std::less<>> kVerbs = {
    {"set", ScriptVerb::Set},         {"select", ScriptVerb::Select}, {"choose", ScriptVerb::Choose},
    {"click", ScriptVerb::Click},     {"key", ScriptVerb::Key},       {"close", ScriptVerb::Close},
    {"sysmenu", ScriptVerb::SysMenu}, {"answer", ScriptVerb::Answer}, {"dump", ScriptVerb::Dump},
};

const std::map<std::string, int, std::less<>> kKeys = {
    {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"SPACE", VK_SPACE}};

// Splits off the next word; rest keeps what follows its single separating space.
std::string_view nextWord(std::string_view& rest) {
    std::size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

bool parseNumber(std::string_view word, int& value) {
    if (word.empty()) return false;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

bool unescape(std::string_view text, std::string& result, std::string& error) {
    result.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (next) {
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case '\\': result += '\\'; break;
        default:
            error = "unknown escape in text";
            return false;
        }
        ++i;
    }
    return true;
}

// Fills action from one line; returns the reason when the line is not an action.
std::string parseAction(std::string_view line, ScriptAction& action) {
    std::string_view rest = line;
    std::string_view verbWord = nextWord(rest);
    auto verb = kVerbs.find(verbWord);
    if (verb == kVerbs.end()) return "unknown action \"" + std::string(verbWord) + "\"";
    action.verb = verb->second;

    bool takesId = action.verb != ScriptVerb::Close && action.verb != ScriptVerb::Answer &&
                   action.verb != ScriptVerb::Dump;
    if (takesId && !parseNumber(nextWord(rest), action.id)) return "a control id is missing";

    std::string error;
    switch (action.verb) {
    case ScriptVerb::Set:
    case ScriptVerb::Choose:
        if (!unescape(rest, action.text, error)) return error;
        return {};
    case ScriptVerb::Select:
        if (!parseNumber(nextWord(rest), action.number)) return "an item index is missing";
        break;
    case ScriptVerb::Key: {
        auto key = kKeys.find(nextWord(rest));
        if (key == kKeys.end()) return "the key must be RETURN, ESCAPE or SPACE";
        action.number = key->second;
        break;
    }
    case ScriptVerb::Answer: {
        std::string_view button = nextWord(rest);
        if (button == "OK") {
            action.number = IDOK;
        } else if (button == "CANCEL") {
            action.number = IDCANCEL;
        } else {
            return "the answer must be OK or CANCEL";
        }
        break;
    }
    case ScriptVerb::Click:
    case ScriptVerb::Close:
    case ScriptVerb::SysMenu:
    case ScriptVerb::Dump:
        break;
    }
    if (!rest.empty()) return "unexpected \"" + std::string(rest) + "\"";
    return {};
}

}  // namespace

ParsedScript parseScript(std::istream& input) {
    ParsedScript script;
    std::string line;
    for (int number = 1; std::getline(input, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
        ScriptAction action;
        action.line = line;
        std::string error = parseAction(line, action);
        if (!error.empty()) {
            script.error = "line " + std::to_string(number) + ": " + error;
            return script;
        }
        script.actions.push_back(std::move(action));
    }
    return script;
}

}  // namespace ui
