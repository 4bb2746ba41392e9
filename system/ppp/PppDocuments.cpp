#include "PppDocuments.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace ppp {

namespace {

// pppd's options that take an argument (pppd 2.4.9 and its usual plugins),
// so that an argument is never mistaken for an option.
constexpr const char* kOptionsWithArgument[] = {
    "active-filter", "asyncmap", "bsdcomp", "bundle", "ca", "call", "capath", "cert", "chap-interval",
    "chap-max-challenge", "chap-restart", "chap-timeout", "child-timeout", "connect", "connect-delay", "crl",
    "crl-dir", "deflate", "demand-filter", "disconnect", "domain", "eap-interval", "eap-max-rreq",
    "eap-max-sreq", "eap-restart", "eap-timeout", "endpoint", "escape", "file", "holdoff", "idle", "ifname",
    "init", "ip-down-script", "ip-up-script", "ipcp-max-configure", "ipcp-max-failure",
    "ipcp-max-terminate", "ipcp-restart", "ipparam", "ipv6", "ipv6-down-script", "ipv6-up-script",
    "ipv6cp-max-configure", "ipv6cp-max-failure", "ipv6cp-max-terminate", "ipv6cp-restart", "ipx-network",
    "ipx-node", "ipx-router-name", "ipx-routing", "ipxcp-max-configure", "ipxcp-max-failure",
    "ipxcp-max-terminate", "ipxcp-restart", "key", "lcp-echo-failure", "lcp-echo-interval",
    "lcp-max-configure", "lcp-max-failure", "lcp-max-terminate", "lcp-restart", "linkname", "logfd",
    "logfile", "max-tls-version", "maxconnect", "maxfail", "maxoctets", "mo-timeout", "mppe", "mrru",
    "mru", "ms-dns", "ms-wins", "mtu", "name", "netmask", "pap-max-authreq", "pap-restart",
    "pap-timeout", "pass-filter", "password", "path", "pkcs12", "plugin", "privgroup", "pty",
    "record", "remotename", "remotenumber", "set", "socket", "srp-interval", "srp-pn", "tls-verify-key-usage",
    "tls-verify-method", "unit", "unset", "user", "welcome",
};

bool takesArgument(std::string_view name) {
    return std::any_of(std::begin(kOptionsWithArgument), std::end(kOptionsWithArgument),
                       [name](const char* option) { return name == option; });
}

bool allDigits(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// pppd takes a word that is not an option for a device when it names a
// terminal: a path, or a name under /dev.
bool namesDevice(std::string_view word) {
    if (word.empty()) return false;
    if (word[0] == '/') return true;
    return word.rfind("tty", 0) == 0 && word.size() > 3 &&
           std::all_of(word.begin() + 3, word.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// The chat keywords whose next word is an argument, not a send or expect
// string.
bool isChatKeyword(std::string_view word) {
    for (const char* keyword : {"ABORT", "CLR_ABORT", "REPORT", "CLR_REPORT", "TIMEOUT", "ECHO", "SAY", "HANGUP"}) {
        if (word == keyword) return true;
    }
    return false;
}

bool isDottedAddress(std::string_view text) {
    int parts = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t dot = text.find('.', pos);
        if (dot == std::string_view::npos) dot = text.size();
        std::string_view part = text.substr(pos, dot - pos);
        if (part.empty() || part.size() > 3 || !allDigits(part) || std::stoi(std::string(part)) > 255) return false;
        ++parts;
        pos = dot + 1;
        if (dot == text.size()) break;
    }
    return parts == 4;
}

}  // namespace

void TextEdit::replace(size_t begin, size_t end, std::string replacement) {
    replacements_.push_back({begin, end, std::move(replacement)});
}

size_t TextEdit::lineStart(size_t at) const {
    if (at > text_.size()) at = text_.size();
    const size_t newline = at == 0 ? std::string_view::npos : text_.rfind('\n', at - 1);
    return newline == std::string_view::npos ? 0 : newline + 1;
}

size_t TextEdit::lineEnd(size_t at) const {
    const size_t newline = text_.find('\n', at);
    return newline == std::string_view::npos ? text_.size() : newline + 1;
}

void TextEdit::removeLines(size_t begin, size_t end) {
    replace(lineStart(begin), lineEnd(end == 0 ? 0 : end - 1), "");
}

void TextEdit::insertLineBefore(size_t at, std::string line) {
    if (at >= text_.size()) return append(std::move(line));
    const size_t start = lineStart(at);
    replace(start, start, std::move(line) + "\n");
}

void TextEdit::append(std::string line) {
    // A last line without its break gets one, so that the new line is a
    // line of its own.
    std::string text = !text_.empty() && text_.back() != '\n' ? "\n" : "";
    replace(text_.size(), text_.size(), text + std::move(line) + "\n");
}

void TextEdit::removeWord(size_t begin, size_t end) {
    const size_t start = lineStart(begin);
    const size_t stop = lineEnd(end);
    auto blank = [this](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (text_[i] != ' ' && text_[i] != '\t' && text_[i] != '\n' && text_[i] != '\r') return false;
        }
        return true;
    };
    if (blank(start, begin) && blank(end, stop)) return replace(start, stop, "");
    size_t after = end;
    while (after < text_.size() && (text_[after] == ' ' || text_[after] == '\t')) ++after;
    replace(begin, after, "");
}

std::string TextEdit::result() const {
    std::vector<Replacement> ordered = replacements_;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Replacement& a, const Replacement& b) { return a.begin < b.begin; });
    std::string out;
    size_t pos = 0;
    for (const Replacement& r : ordered) {
        if (r.begin < pos) continue;  // overlaps an earlier one: never made by the service
        out.append(text_.substr(pos, r.begin - pos));
        out += r.text;
        pos = r.end;
    }
    out.append(text_.substr(std::min(pos, text_.size())));
    return out;
}

const PeerOption* PeerDocument::last(std::string_view name) const {
    for (auto it = options.rbegin(); it != options.rend(); ++it) {
        if (it->name == name) return &*it;
    }
    return nullptr;
}

std::string PeerDocument::valueOf(std::string_view name) const {
    const PeerOption* option = last(name);
    return option != nullptr && option->argument ? words[*option->argument].value : std::string();
}

bool PeerDocument::has(std::string_view name) const { return last(name) != nullptr; }

bool parsePeer(std::string text, PeerDocument& peer, std::string& reason) {
    peer = PeerDocument();
    peer.text = std::move(text);
    if (!splitOptionWords(peer.text, peer.words, reason)) return false;
    for (size_t i = 0; i < peer.words.size(); ++i) {
        const std::string& word = peer.words[i].value;
        PeerOption option{word, i, std::nullopt};
        if (takesArgument(word)) {
            if (i + 1 >= peer.words.size()) {
                reason = "line " + std::to_string(peer.words[i].line) + ": the option " + word + " has no value";
                return false;
            }
            option.argument = ++i;
        } else if (!allDigits(word) && namesDevice(word)) {
            peer.deviceWord = i;
            continue;
        }
        peer.options.push_back(std::move(option));
    }
    peer.isDefaultAlias = peer.text.rfind("#kivora-default\n", 0) == 0 ||
                          peer.text.find("\n#kivora-default\n") != std::string::npos;
    return findOwnLines(peer.text, peer.ownLines, reason);
}

bool findOwnLines(std::string_view all, std::vector<OwnLine>& lines, std::string& reason) {
    lines.clear();
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        end = end == std::string_view::npos ? all.size() : end + 1;
        std::string_view line = all.substr(pos, end - pos);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        for (const char* key : {"kivora-account", "kivora"}) {
            const std::string prefix = std::string("#") + key + " ";
            if (line.rfind(prefix, 0) != 0) continue;
            std::string_view rest = line.substr(prefix.size());
            const size_t equals = rest.find('=');
            if (equals == std::string_view::npos) {
                reason = "a line of Kivora's own is not FIELD=VALUE: " + std::string(line);
                return false;
            }
            lines.push_back({pos, end, key, std::string(rest.substr(0, equals)), std::string(rest.substr(equals + 1))});
            break;
        }
        pos = end;
    }
    return true;
}

std::string withOwnLines(std::string_view text, const std::vector<OwnLine>& own, std::string_view key,
                         const std::string& lines) {
    TextEdit edit(text);
    bool placed = false;
    for (const OwnLine& line : own) {
        if (line.key != key) continue;
        edit.replace(line.begin, line.end, placed ? "" : lines);
        placed = true;
    }
    if (!placed && !lines.empty()) {
        size_t at = 0;
        while (at < text.size() && text[at] == '#') {
            const size_t end = text.find('\n', at);
            if (end == std::string_view::npos) break;
            at = end + 1;
        }
        edit.replace(at, at, lines);
    }
    return edit.result();
}

std::string ownLinesText(std::string_view text, const std::vector<OwnLine>& own, std::string_view key) {
    std::string out;
    for (const OwnLine& line : own) {
        if (line.key == key) out.append(text.substr(line.begin, line.end - line.begin));
    }
    return out;
}

bool parseChat(std::string text, ChatDocument& chat, std::string& reason) {
    chat = ChatDocument();
    chat.text = std::move(text);
    if (!splitChatWords(chat.text, chat.words, reason) || !findOwnLines(chat.text, chat.ownLines, reason)) return false;
    // Expect and send strings alternate; a keyword and its argument stand
    // in the place of an expect string and its reply.
    bool send = false;
    for (size_t i = 0; i < chat.words.size(); ++i) {
        const std::string& raw = chat.words[i].raw;
        if (!send && isChatKeyword(raw)) {
            ++i;
            continue;
        }
        if (send && raw.size() >= 3 && equalsIgnoringCase(std::string_view(raw).substr(0, 3), "ATD")) {
            chat.dialWord = i;
            break;
        }
        send = !send;
    }
    return true;
}

std::optional<DialCommand> dialCommandOf(const ChatDocument& chat, std::string_view phoneNumber) {
    if (!chat.dialWord) return std::nullopt;
    const std::string sent = chatSentBytes(chat.words[*chat.dialWord].raw, phoneNumber);
    DialCommand dial;
    size_t start = 3;
    if (sent.size() > 3) {
        const char mode = static_cast<char>(std::toupper(static_cast<unsigned char>(sent[3])));
        if (mode == 'T' || mode == 'P') {
            dial.pulse = mode == 'P';
            start = 4;
        }
    }
    dial.number = sent.size() > start ? sent.substr(start) : std::string();
    return dial;
}

std::string dialWordFor(const DialCommand& dial) {
    return quoteChatSend(std::string(dial.pulse ? "ATDP" : "ATDT") + dial.number);
}

bool parseSecrets(std::string text, SecretsDocument& secrets, std::string& reason) {
    secrets.present = true;
    secrets.text = std::move(text);
    secrets.entries.clear();
    if (!splitOptionWords(secrets.text, secrets.words, reason)) return false;
    for (size_t i = 0; i < secrets.words.size();) {
        SecretEntry entry;
        entry.firstWord = i;
        entry.client = secrets.words[i].value;
        size_t j = i + 1;
        while (j < secrets.words.size() && !secrets.words[j].startsLine) ++j;
        entry.lastWord = j - 1;
        if (i + 1 <= entry.lastWord) entry.server = secrets.words[i + 1].value;
        if (i + 2 <= entry.lastWord) entry.secret = secrets.words[i + 2].value;
        secrets.entries.push_back(std::move(entry));
        i = j;
    }
    return true;
}

std::optional<size_t> bestSecret(const SecretsDocument& secrets, std::string_view client, std::string_view server) {
    std::optional<size_t> best;
    int bestScore = -1;
    for (size_t i = 0; i < secrets.entries.size(); ++i) {
        const SecretEntry& entry = secrets.entries[i];
        if (!entry.secret || entry.lastWord == entry.firstWord) continue;
        int score = 0;
        if (entry.client != "*") {
            if (entry.client != client) continue;
            score |= 2;
        }
        // A peer that names no server (no remotename) takes a line for any
        // server, as pppd asks for PAP's secret with none.
        if (entry.server != "*") {
            if (!server.empty() && entry.server != server) continue;
            score |= 1;
        }
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

NameServers parseNameServers(std::string_view text) {
    NameServers servers;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t a = line.find_first_not_of(" \t");
        if (a == std::string_view::npos || line.substr(a, 10) != "nameserver") continue;
        line = line.substr(a + 10);
        if (line.empty() || (line[0] != ' ' && line[0] != '\t')) continue;
        a = line.find_first_not_of(" \t");
        if (a == std::string_view::npos) continue;
        line = line.substr(a);
        const size_t b = line.find_first_of(" \t\r#");
        std::string_view address = line.substr(0, b);
        if (isDottedAddress(address)) servers.addresses.emplace_back(address);
    }
    return servers;
}

std::string withNameServers(std::string_view text, const NameServers& servers) {
    std::string lines;
    for (const std::string& address : servers.addresses) lines += "nameserver " + address + "\n";
    std::string out;
    bool placed = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(pos, end - pos);
        pos = end;
        const size_t a = line.find_first_not_of(" \t");
        if (a != std::string_view::npos && line.substr(a, 10) == "nameserver") {
            if (!placed) out += lines;
            placed = true;
            continue;
        }
        out.append(line);
        if (!out.empty() && out.back() != '\n') out += '\n';
    }
    if (!placed) out += lines;
    return out;
}

}  // namespace ppp
