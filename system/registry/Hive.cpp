#include "Hive.h"

#include "Cp932.h"
#include "SystemRoot.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace standin {

namespace {

bool isTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

bool sameName(std::string_view a, std::string_view b) { return cp932::compareNoCaseMultiByte(a, b) == 0; }

// Names and key paths in the order of that comparison, so that parsing finds
// one given twice in a set instead of comparing it with every other: a hive
// of thousands of keys took minutes to read.
struct NameLess {
    bool operator()(std::string_view a, std::string_view b) const { return cp932::compareNoCaseMultiByte(a, b) < 0; }
};

struct PathLess {
    bool operator()(const std::vector<std::string>& a, const std::vector<std::string>& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), NameLess());
    }
};

// "text" with '\' and '"' escaped as REGEDIT4 does, double-byte characters
// copied whole (a trail byte may be 0x5C and is not an escape).
std::string quote(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (cp932::isLeadByte(byte) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
        } else {
            if (text[i] == '\\' || text[i] == '"') out += '\\';
            out += text[i];
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text at the start of `line`, advancing past it. False on a
// missing closing quote or an escape other than \\ and \".
bool unquote(std::string_view& line, std::string& text) {
    text.clear();
    if (line.empty() || line.front() != '"') return false;
    size_t i = 1;
    while (i < line.size()) {
        auto byte = static_cast<unsigned char>(line[i]);
        if (cp932::isLeadByte(byte) && i + 1 < line.size() &&
            isTrailByte(static_cast<unsigned char>(line[i + 1]))) {
            text += line.substr(i, 2);
            i += 2;
        } else if (line[i] == '\\') {
            if (i + 1 >= line.size() || (line[i + 1] != '\\' && line[i + 1] != '"')) return false;
            text += line[i + 1];
            i += 2;
        } else if (line[i] == '"') {
            line.remove_prefix(i + 1);
            return true;
        } else {
            text += line[i];
            ++i;
        }
    }
    return false;
}

bool parseHex(std::string_view digits, DWORD& number) {
    if (digits.empty() || digits.size() > 8) return false;
    number = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        number = (number << 4) | static_cast<DWORD>(digit);
    }
    return true;
}

bool samePath(std::string_view a, std::string_view b) {
    std::vector<std::string> ca;
    std::vector<std::string> cb;
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    if (!Hive::splitPath(a, ca) || !Hive::splitPath(b, cb) || ca.size() != cb.size()) return false;
    for (size_t i = 0; i < ca.size(); ++i) {
        if (!sameName(ca[i], cb[i])) return false;
    }
    return true;
}

}  // namespace

bool Hive::splitPath(std::string_view path, std::vector<std::string>& components) {
    components.clear();
    std::string current;
    for (size_t i = 0; i < path.size(); ++i) {
        auto byte = static_cast<unsigned char>(path[i]);
        if (cp932::isLeadByte(byte) && i + 1 < path.size()) {
            current += path.substr(i, 2);
            ++i;
        } else if (path[i] == '\\') {
            if (current.empty()) return false;
            components.push_back(std::move(current));
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (current.empty()) return false;
    components.push_back(std::move(current));
    for (const std::string& component : components) {
        if (!isStorableText(component)) return false;
    }
    return true;
}

bool Hive::parse(std::string_view text, std::string& error) {
    std::vector<RegistryKey> keys;
    RegistryKey* current = nullptr;
    std::set<std::vector<std::string>, PathLess> listedPaths;
    std::set<std::string, NameLess> currentNames;
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (lineNumber == 1) {
            if (line != "REGEDIT4") {
                error = where + "the file does not start with REGEDIT4";
                return false;
            }
            continue;
        }
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) {
                error = where + "a key line must end with ]";
                return false;
            }
            std::string_view name = line.substr(1, line.size() - 2);
            std::string_view head = name.substr(0, std::min(name.size(), rootName_.size()));
            std::string_view rest = name.substr(head.size());
            if (cp932::compareAsciiNoCase(head, rootName_) != 0 || (!rest.empty() && rest.front() != '\\')) {
                error = where + "the key is not under " + rootName_;
                return false;
            }
            std::string path(rest.empty() ? rest : rest.substr(1));
            std::vector<std::string> components;
            if (!path.empty() && !splitPath(path, components)) {
                error = where + "the key name is empty or not CP932 text";
                return false;
            }
            if (!listedPaths.insert(std::move(components)).second) {
                error = where + "the key is listed twice";
                return false;
            }
            currentNames.clear();
            keys.push_back(RegistryKey{path, {}});
            current = &keys.back();
            continue;
        }
        if (current == nullptr) {
            error = where + "a value before the first key";
            return false;
        }
        RegistryValue value;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!unquote(line, value.name) || value.name.empty()) {
            error = where + "expected \"name\"=value or @=value";
            return false;
        }
        if (!isStorableText(value.name)) {
            error = where + "the value name is not CP932 text";
            return false;
        }
        if (line.empty() || line.front() != '=') {
            error = where + "expected = after the value name";
            return false;
        }
        line.remove_prefix(1);
        if (!line.empty() && line.front() == '"') {
            value.type = REG_SZ;
            if (!unquote(line, value.text) || !line.empty()) {
                error = where + "the string value is not closed properly";
                return false;
            }
            if (!isStorableText(value.text)) {
                error = where + "the string value is not CP932 text";
                return false;
            }
        } else if (line.substr(0, 6) == "dword:") {
            value.type = REG_DWORD;
            if (!parseHex(line.substr(6), value.number)) {
                error = where + "dword: must be followed by 1 to 8 hexadecimal digits";
                return false;
            }
        } else {
            error = where + "only string and dword: values are supported";
            return false;
        }
        if (!currentNames.insert(value.name).second) {
            error = where + "the value is given twice in its key";
            return false;
        }
        current->values.push_back(std::move(value));
    }
    if (lineNumber == 0) {
        error = "the file is empty";
        return false;
    }
    keys_ = std::move(keys);
    return true;
}

std::string Hive::serialize() const {
    std::string out = "REGEDIT4\r\n";
    for (const RegistryKey& key : keys_) {
        out += "\r\n[" + rootName_;
        if (!key.path.empty()) out += "\\" + key.path;
        out += "]\r\n";
        for (const RegistryValue& value : key.values) {
            out += value.name.empty() ? std::string("@") : quote(value.name);
            out += '=';
            if (value.type == REG_DWORD) {
                char number[16];
                std::snprintf(number, sizeof number, "dword:%08x", value.number);
                out += number;
            } else {
                out += quote(value.text);
            }
            out += "\r\n";
        }
    }
    out += "\r\n";
    return out;
}

RegistryKey* Hive::findKey(std::string_view path) {
    for (RegistryKey& key : keys_) {
        if (samePath(key.path, path)) return &key;
    }
    return nullptr;
}

bool Hive::hasKey(std::string_view path) const {
    if (path.empty()) return true;
    std::vector<std::string> wanted;
    if (!splitPath(path, wanted)) return false;
    std::vector<std::string> listed;
    for (const RegistryKey& key : keys_) {
        if (key.path.empty() || !splitPath(key.path, listed) || listed.size() < wanted.size()) continue;
        bool match = true;
        for (size_t i = 0; i < wanted.size() && match; ++i) match = sameName(wanted[i], listed[i]);
        if (match) return true;
    }
    return false;
}

void Hive::addKey(std::string_view path) {
    if (findKey(path) == nullptr) keys_.push_back(RegistryKey{std::string(path), {}});
}

bool Hive::setValue(std::string_view path, const RegistryValue& value) {
    if (!hasKey(path)) return false;
    // A parent that exists only through its children gets a section of its own.
    addKey(path);
    RegistryKey* key = findKey(path);
    for (RegistryValue& existing : key->values) {
        if (sameName(existing.name, value.name)) {
            std::string name = existing.name;
            existing = value;
            existing.name = std::move(name);
            return true;
        }
    }
    key->values.push_back(value);
    return true;
}

}  // namespace standin
