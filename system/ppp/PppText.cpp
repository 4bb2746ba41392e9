#include "PppText.h"

#include "Cp932.h"

#include <cstring>

namespace ppp {

namespace {

// pppd reads bytes with getc and tests them with the C locale's isspace.
bool isPppSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// pppd keeps MAXWORDLEN - 1 bytes of a word.
constexpr size_t kMaxWord = 1023;

bool isSafeWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("_@%+=:,./-", c) != nullptr;
}

constexpr char kHex[] = "0123456789ABCDEF";

void appendHexByte(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

}  // namespace

bool splitOptionWords(std::string_view text, std::vector<OptionWord>& words, std::string& reason) {
    words.clear();
    words.reserve(text.size() / 12);
    size_t i = 0;
    size_t line = 1;
    const size_t n = text.size();
    bool first = true;
    for (;;) {
        bool newline = false;
        bool comment = false;
        bool escape = false;
        // White space and comments before the word.
        while (i < n) {
            const char c = text[i];
            if (c == '\n') {
                if (!escape) {
                    newline = true;
                    comment = false;
                } else {
                    escape = false;
                }
                ++i;
                ++line;
                continue;
            }
            if (comment) {
                ++i;
                continue;
            }
            if (escape) break;
            if (c == '\\') {
                escape = true;
                ++i;
                continue;
            }
            if (c == '#') {
                comment = true;
                ++i;
                continue;
            }
            if (!isPppSpace(c)) break;
            ++i;
        }
        if (i >= n) return true;

        OptionWord word;
        word.begin = escape ? i - 1 : i;
        word.line = line;
        word.startsLine = first || newline;
        first = false;
        char quoted = 0;
        while (i < n) {
            char c = text[i];
            if (escape) {
                escape = false;
                if (c == '\n') {
                    ++i;
                    ++line;
                    continue;
                }
                switch (c) {
                case 'a': word.value += '\a'; ++i; break;
                case 'b': word.value += '\b'; ++i; break;
                case 'f': word.value += '\f'; ++i; break;
                case 'n': word.value += '\n'; ++i; break;
                case 'r': word.value += '\r'; ++i; break;
                case 's': word.value += ' '; ++i; break;
                case 't': word.value += '\t'; ++i; break;
                default:
                    if (isOctal(c)) {
                        int value = 0;
                        for (int k = 0; k < 3 && i < n && isOctal(text[i]); ++k) value = (value << 3) + (text[i++] & 7);
                        word.value += static_cast<char>(value);
                    } else if (c == 'x') {
                        ++i;
                        int value = 0;
                        for (int k = 0; k < 2 && i < n && hexValue(text[i]) >= 0; ++k) {
                            value = (value << 4) + hexValue(text[i++]);
                        }
                        word.value += static_cast<char>(value);
                    } else {
                        word.value += c;
                        ++i;
                    }
                    break;
                }
                continue;
            }
            if (c == '\\') {
                escape = true;
                ++i;
                continue;
            }
            if (quoted != 0) {
                if (c == quoted) {
                    quoted = 0;
                    ++i;
                    continue;
                }
            } else if (c == '"' || c == '\'') {
                quoted = c;
                ++i;
                continue;
            } else if (isPppSpace(c) || c == '#') {
                break;
            }
            if (c == '\n') ++line;
            word.value += c;
            ++i;
        }
        if (i >= n && quoted != 0) {
            reason = "line " + std::to_string(word.line) +
                     ": a quoted word runs to the end of the file (its closing quote is missing)";
            return false;
        }
        if (word.value.size() > kMaxWord) {
            reason = "line " + std::to_string(word.line) + ": a word is longer than the 1023 bytes pppd reads";
            return false;
        }
        word.end = i;
        words.push_back(std::move(word));
    }
}

std::string quoteOptionWord(std::string_view value) {
    bool safe = !value.empty();
    for (char c : value) safe = safe && isSafeWordByte(c);
    if (safe) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool splitChatWords(std::string_view text, std::vector<ChatWord>& words, std::string& reason) {
    words.clear();
    size_t lineStart = 0;
    size_t line = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        ++line;
        std::string_view content = text.substr(lineStart, lineEnd - lineStart);
        if (!content.empty() && content[0] != '#') {
            size_t j = 0;
            while (j < content.size()) {
                const char c = content[j];
                if (c == ' ' || c == '\t') {
                    ++j;
                    continue;
                }
                ChatWord word;
                word.line = line;
                word.begin = lineStart + j;
                if (c == '"' || c == '\'') {
                    const size_t rawStart = ++j;
                    while (j < content.size() && content[j] != c) {
                        if (content[j++] == '\\' && j < content.size()) ++j;
                    }
                    if (j >= content.size()) {
                        reason = "line " + std::to_string(line) + ": a quote is not closed on its line";
                        return false;
                    }
                    word.raw = std::string(content.substr(rawStart, j - rawStart));
                    ++j;  // the closing quote
                    word.end = lineStart + j;
                } else {
                    const size_t rawStart = j;
                    while (j < content.size() && content[j] != ' ' && content[j] != '\t') ++j;
                    word.raw = std::string(content.substr(rawStart, j - rawStart));
                    word.end = lineStart + j;
                    // chat ends the word on the blank after it.
                    if (j < content.size()) ++j;
                }
                words.push_back(std::move(word));
            }
        }
        lineStart = lineEnd + 1;
    }
    return true;
}

std::string chatSentBytes(std::string_view raw, std::string_view phoneNumber) {
    // chat's clean(), sending.
    std::string cleaned;
    bool addReturn = true;
    for (size_t i = 0; i < raw.size();) {
        char c = raw[i++];
        if (c == '^') {
            if (i >= raw.size()) {
                cleaned += '^';
                break;
            }
            c = static_cast<char>(raw[i++] & 0x1F);
            if (c != 0) cleaned += c;
            continue;
        }
        if (c != '\\') {
            cleaned += c;
            continue;
        }
        if (i >= raw.size()) {
            cleaned += "\\\\";
            break;
        }
        c = raw[i++];
        switch (c) {
        case 'b': cleaned += '\b'; break;
        case 'c':
            if (i >= raw.size()) {
                addReturn = false;
            } else {
                cleaned += 'c';
            }
            break;
        case '\\':
        case 'K':
        case 'p':
        case 'd':
            cleaned += '\\';
            cleaned += c;
            break;
        case 'T':
            if (!phoneNumber.empty()) {
                cleaned += phoneNumber;
            } else {
                cleaned += "\\T";
            }
            break;
        case 'U': cleaned += "\\U"; break;
        case 'q': break;
        case 'r': cleaned += '\r'; break;
        case 'n': cleaned += '\n'; break;
        case 's': cleaned += ' '; break;
        case 't': cleaned += '\t'; break;
        case 'N': i = raw.size(); break;  // sends a NUL, which ends the string
        default:
            if (isOctal(c)) {
                int value = c & 7;
                for (int k = 0; k < 2 && i < raw.size() && isOctal(raw[i]); ++k) value = (value << 3) | (raw[i++] - '0');
                if (value == '\\' || value == 0) cleaned += '\\';
                if (value == 0) {
                    i = raw.size();
                    break;
                }
                cleaned += static_cast<char>(value);
                break;
            }
            cleaned += '\\';
            cleaned += c;
            break;
        }
    }
    // put_string(): the sequences clean() kept.
    std::string sent;
    for (size_t i = 0; i < cleaned.size(); ++i) {
        if (cleaned[i] != '\\') {
            sent += cleaned[i];
            continue;
        }
        if (++i >= cleaned.size()) break;
        const char c = cleaned[i];
        if (c == 'd' || c == 'K' || c == 'p') continue;
        sent += c;
    }
    (void)addReturn;  // the carriage return is not part of what was dialled
    return sent;
}

std::string quoteChatSend(std::string_view bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        if (c == '\\' || c == '"' || c == '^' || c == '$') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::string shellQuote(std::string_view text) {
    bool safe = !text.empty();
    for (char c : text) safe = safe && isSafeWordByte(c);
    if (safe) return std::string(text);
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    out += '\'';
    return out;
}

bool splitShellWords(std::string_view command, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        if (std::strchr("|&;<>()$`*?[~", c) != nullptr || (c == '#' && !inWord)) return false;
        inWord = true;
        if (c == '\'') {
            size_t close = command.find('\'', i + 1);
            if (close == std::string_view::npos) return false;
            word.append(command.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= command.size()) return false;
                const char q = command[i];
                if (q == '"') break;
                if (q == '$' || q == '`') return false;
                if (q == '\\' && i + 1 < command.size() && std::strchr("\"\\$`\n", command[i + 1]) != nullptr) {
                    word += command[++i];
                } else {
                    word += q;
                }
            }
        } else if (c == '\\') {
            if (i + 1 >= command.size()) return false;
            word += command[++i];
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

bool exactUtf8(std::string_view cp932Text, std::string& utf8) {
    std::string back;
    return cp932::toUtf8(cp932Text, utf8) && cp932::fromUtf8(utf8, back) && back == cp932Text;
}

bool exactCp932(std::string_view utf8Text, std::string& cp932Text) {
    std::string back;
    return cp932::fromUtf8(utf8Text, cp932Text) && cp932::toUtf8(cp932Text, back) && back == utf8Text;
}

std::string commentText(std::string_view cp932Bytes) {
    std::string out;
    for (size_t i = 0; i < cp932Bytes.size();) {
        const auto byte = static_cast<unsigned char>(cp932Bytes[i]);
        const size_t length = cp932::isLeadByte(byte) && i + 1 < cp932Bytes.size() ? 2 : 1;
        const std::string_view character = cp932Bytes.substr(i, length);
        std::string utf8;
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
        } else if (byte >= 0x80 && exactUtf8(character, utf8)) {
            out += utf8;
        } else {
            for (char c : character) appendHexByte(out, static_cast<unsigned char>(c));
        }
        i += length;
    }
    return out;
}

bool fromCommentText(std::string_view text, std::string& cp932Bytes) {
    cp932Bytes.clear();
    std::string run;
    auto flush = [&]() {
        std::string converted;
        if (!run.empty() && !exactCp932(run, converted)) return false;
        cp932Bytes += converted;
        run.clear();
        return true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            run += text[i];
            continue;
        }
        if (!flush()) return false;
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            cp932Bytes += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 &&
                   hexValue(text[i + 3]) >= 0) {
            cp932Bytes += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            return false;
        }
    }
    return flush();
}

}  // namespace ppp
