#include "PppEntries.h"

#include "Cp932.h"
#include "Phonebook.h"
#include "RecordFields.h"
#include "TextEscaping.h"

#include <dirent.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ppp {

using standin::ras::copyFieldValues;
using standin::ras::dialParamsFields;
using standin::ras::entryFields;
using standin::ras::findField;
using standin::ras::formatField;
using standin::ras::isEmptyField;
using standin::ras::parseField;
using standin::ras::RecordField;

namespace {

constexpr const char* kDefaultPeer = "provider";
// The fields of an account kept in Kivora's lines (the user name and the
// password are pppd's own).
constexpr const char* kAccountFields[] = {"szPhoneNumber", "szCallbackNumber", "szDomain"};

template <size_t N>
std::string textOf(const CHAR (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

template <size_t N>
bool setText(CHAR (&field)[N], std::string_view text) {
    if (text.size() >= N) return false;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
    return true;
}

RASENTRYA normalized(const RASENTRYA& entry) {
    RASENTRYA kept;
    std::memset(&kept, 0, sizeof kept);
    copyFieldValues(entryFields(), &entry, &kept);
    kept.dwSize = sizeof(RASENTRYA);
    return kept;
}

bool sameEntry(const RASENTRYA& a, const RASENTRYA& b) {
    const RASENTRYA x = normalized(a);
    const RASENTRYA y = normalized(b);
    return std::memcmp(&x, &y, sizeof x) == 0;
}

std::string dotted(const RASIPADDR& address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address.a, address.b, address.c, address.d);
    return text;
}

bool isZero(const RASIPADDR& address) { return address.a == 0 && address.b == 0 && address.c == 0 && address.d == 0; }

RASIPADDR addressOf(std::string_view text) {
    RASIPADDR address{};
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(std::string(text).c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
        address.a = static_cast<BYTE>(a);
        address.b = static_cast<BYTE>(b);
        address.c = static_cast<BYTE>(c);
        address.d = static_cast<BYTE>(d);
    }
    return address;
}

// What the entry dials, as Windows would from a location in Japan: the
// area code before the number when the entry uses area codes, the outside
// line prefix and suffix as typed; the P (or PP) of a pulse entry makes the
// dial command ATDP.
DialCommand dialOf(const RASENTRYA& entry) {
    DialCommand dial;
    std::string number = textOf(entry.szLocalPhoneNumber);
    if (number.rfind("PP", 0) == 0) {
        dial.pulse = true;
        number.erase(0, 2);
    } else if (number.rfind('P', 0) == 0) {
        dial.pulse = true;
        number.erase(0, 1);
    }
    dial.number = ((entry.dwfOptions & RASEO_UseCountryAndAreaCodes) != 0 ? textOf(entry.szAreaCode) : "") + number;
    return dial;
}

std::optional<NameServers> nameServersOf(const RASENTRYA& entry) {
    if ((entry.dwfOptions & RASEO_SpecificNameServers) == 0) return std::nullopt;
    NameServers servers;
    if (!isZero(entry.ipaddrDns)) servers.addresses.push_back(dotted(entry.ipaddrDns));
    if (!isZero(entry.ipaddrDnsAlt)) servers.addresses.push_back(dotted(entry.ipaddrDnsAlt));
    return servers;
}

std::optional<NameServers> currentNameServers(const PeerState& state) {
    if (!state.resolvText) return std::nullopt;
    return parseNameServers(*state.resolvText);
}

std::string currentDevice(const PeerDocument& document) {
    return document.deviceWord ? document.words[*document.deviceWord].value : std::string();
}

// A peer Kivora did not write reads as an entry Windows would have made of
// it: its options say what they can, the rest as a new entry has it.
RASENTRYA foreignEntry(const PeerState& state) {
    RASENTRYA entry = standin::ras::newEntry().properties;
    entry.dwfOptions = (state.document.has("novj") ? 0 : RASEO_IpHeaderCompression) |
                       (state.document.has("defaultroute") ? RASEO_RemoteDefaultGateway : 0);
    entry.dwCountryID = 81;
    entry.dwCountryCode = 81;
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    std::string device;
    if (exactCp932(currentDevice(state.document), device)) setText(entry.szDeviceName, device);
    return entry;
}

// The fields kept in the chat script rather than the peer: the number,
// which a migration changes, then changes one file alone.
bool keptWithChat(const RecordField& field) {
    return field.offset == offsetof(RASENTRYA, szAreaCode) || field.offset == offsetof(RASENTRYA, szLocalPhoneNumber);
}

enum class RecordPart { Peer, Chat, Whole };

// The lines of Kivora's own that keep an entry's fields.
std::string recordLines(const RASENTRYA& entry, RecordPart part = RecordPart::Whole) {
    std::string out;
    for (const RecordField& field : entryFields()) {
        if (standin::ras::followsFromEntry(field) || isEmptyField(field, &entry)) continue;
        if ((part == RecordPart::Peer && keptWithChat(field)) || (part == RecordPart::Chat && !keptWithChat(field))) {
            continue;
        }
        out += std::string("#kivora ") + field.name + "=" + commentText(formatField(field, &entry)) + "\n";
    }
    return out;
}

std::string accountLines(const RASDIALPARAMSA& fields) {
    std::string out;
    for (const char* name : kAccountFields) {
        const RecordField* field = findField(dialParamsFields(), name);
        if (isEmptyField(*field, &fields)) continue;
        out += std::string("#kivora-account ") + name + "=" + commentText(formatField(*field, &fields)) + "\n";
    }
    return out;
}

std::string peerHeader(const std::string& peer) {
    return "# Kivora: the dial-up connection " + peer + " (dial it with: pon " + shellQuote(peer) + ")\n"
           "# The lines starting with #kivora keep the entry's settings for Kivora; pppd reads them as comments.\n";
}

std::string connectLine(const std::string& chatScript) {
    return "connect " + quoteOptionWord("/usr/sbin/chat -v -f " + shellQuote(chatScript));
}

std::string newPeerText(const std::string& peer, const RASENTRYA& entry) {
    std::string text = peerHeader(peer) + recordLines(entry, RecordPart::Peer);
    const std::string port = portOf(textOf(entry.szDeviceName));
    if (!port.empty()) text += quoteOptionWord(port) + "\n";
    text += "115200\n";
    text += connectLine(chatScriptPath(peer)) + "\n";
    text += "noauth\nnoipdefault\n";
    if ((entry.dwfOptions & RASEO_RemoteDefaultGateway) != 0) text += "defaultroute\n";
    if ((entry.dwfOptions & RASEO_IpHeaderCompression) == 0) text += "novj\n";
    if ((entry.dwfOptions & RASEO_SpecificNameServers) == 0) text += "usepeerdns\n";
    const std::string quoted = quoteOptionWord(peer);
    text += "remotename " + quoted + "\nipparam " + quoted + "\nlinkname " + quoted + "\nhide-password\n";
    return text;
}

std::string newChatText(const std::string& peer, const RASENTRYA& entry) {
    return "# Kivora: the chat script of the dial-up connection " + peer + "; its ATD line dials.\n" +
           recordLines(entry, RecordPart::Chat) +
           "ABORT BUSY ABORT 'NO CARRIER' ABORT VOICE ABORT 'NO DIALTONE' ABORT 'NO DIAL TONE' ABORT 'NO ANSWER' "
           "ABORT DELAYED\n"
           "'' ATZ\n"
           "OK-AT-OK " +
           dialWordFor(dialOf(entry)) + "\nCONNECT \\d\\c\n";
}

bool isDefaultAliasFile(const std::string& peer) {
    if (peer != kDefaultPeer) return false;
    bool present = false;
    std::string text;
    if (!readFileAt(local(peerPath(peer)), present, text, "the peer").ok() || !present) return false;
    PeerDocument document;
    std::string reason;
    return parsePeer(std::move(text), document, reason) && document.isDefaultAlias;
}

Status parseRecorded(const PeerState& state, RASENTRYA& entry, bool& found) {
    found = false;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof(RASENTRYA);
    auto read = [&](const std::vector<OwnLine>& lines, const std::string& path) -> Status {
        for (const OwnLine& own : lines) {
            if (own.key != "kivora") continue;
            found = true;
            const RecordField* field = findField(entryFields(), own.field);
            std::string value, why;
            if (field == nullptr || standin::ras::followsFromEntry(*field)) {
                return damagedFile(path, "an unknown field " + own.field + " in a line of Kivora's own");
            }
            if (!fromCommentText(own.value, value) || !parseField(*field, value, &entry, why)) {
                return damagedFile(path, own.field + ": " + (why.empty() ? "not a value Kivora wrote" : why));
            }
        }
        return {};
    };
    if (Status status = read(state.document.ownLines, peerPath(state.peer)); !status.ok()) return status;
    if (state.chat) {
        if (Status status = read(state.chat->ownLines, state.chatRealPath); !status.ok()) return status;
    }
    if (found) {
        if (Status valid = standin::ras::checkEntryProperties({entry, {}}); !valid.ok()) {
            return damagedFile(peerPath(state.peer), valid.detail);
        }
    }
    return {};
}

Status parseAccountFields(PeerState& state) {
    std::memset(&state.accountFields, 0, sizeof state.accountFields);
    state.accountFields.dwSize = sizeof(RASDIALPARAMSA);
    for (const OwnLine& own : state.document.ownLines) {
        if (own.key != "kivora-account") continue;
        const bool known = std::any_of(std::begin(kAccountFields), std::end(kAccountFields),
                                       [&own](const char* name) { return own.field == name; });
        const RecordField* field = known ? findField(dialParamsFields(), own.field) : nullptr;
        std::string value, why;
        if (field == nullptr || !fromCommentText(own.value, value) || !parseField(*field, value, &state.accountFields, why)) {
            return damagedFile(peerPath(state.peer), "a line of Kivora's own for the account: " + own.field);
        }
    }
    return {};
}

// The chat script the connect line runs, and chat's -T number.
void findChatScript(PeerState& state) {
    const std::string command = state.document.valueOf("connect");
    std::vector<std::string> words;
    if (command.empty() || !splitShellWords(command, words) || words.empty()) return;
    const std::string& program = words[0];
    const size_t slash = program.rfind('/');
    if (program.substr(slash == std::string::npos ? 0 : slash + 1) != "chat") return;
    for (size_t i = 1; i < words.size(); ++i) {
        std::string path;
        if (words[i] == "-f" && i + 1 < words.size()) {
            path = words[++i];
        } else if (words[i].rfind("-f", 0) == 0 && words[i].size() > 2) {
            path = words[i].substr(2);
        } else if (words[i] == "-T" && i + 1 < words.size()) {
            state.phoneNumber = words[++i];
            continue;
        } else {
            continue;
        }
        state.chatRealPath = path[0] == '/' ? path : "/" + path;
    }
}

// A peer as it reads after `edited` texts replace its files.
Status reparse(const PeerState& base, const std::string& peerText, const std::optional<std::string>& chatText,
               const std::optional<std::string>& resolvText, PeerState& state) {
    state = PeerState();
    state.peer = base.peer;
    std::string reason;
    if (!parsePeer(peerText, state.document, reason)) return damagedFile(peerPath(base.peer), reason);
    findChatScript(state);
    if (chatText) {
        ChatDocument chat;
        if (!parseChat(*chatText, chat, reason)) return damagedFile(state.chatRealPath, reason);
        state.chat = std::move(chat);
    }
    state.resolvRealPath = base.resolvRealPath;
    state.resolvText = resolvText;
    bool found = false;
    RASENTRYA recorded;
    if (Status status = parseRecorded(state, recorded, found); !status.ok()) return status;
    if (found) state.recorded = recorded;
    return parseAccountFields(state);
}

// An entry of the account itself: for its client and its server, or (the
// form Kivora writes) for every client and its own server: the peer's user
// then lives in its "user" line alone, and a new user name changes no
// secrets file. A line for every server belongs to others too, unless the
// peer names no server (then pppd takes its client's first line).
bool isOursFor(const SecretEntry& entry, std::string_view client, std::string_view server) {
    if (!entry.secret) return false;
    // A peer without a server's name takes the first line for its client.
    if (server.empty()) return entry.client == client;
    return (entry.client == client || entry.client == "*") && entry.server == server;
}

constexpr size_t kNoLine = static_cast<size_t>(-1);

size_t accountLine(const SecretsDocument& secrets, std::string_view client, std::string_view server) {
    if (client.empty()) return kNoLine;
    const std::optional<size_t> best = bestSecret(secrets, client, server);
    if (best && isOursFor(secrets.entries[*best], client, server)) return *best;
    return kNoLine;
}

std::string secretsHeaderFor(const char* realPath) {
    return std::string("# ") + realPath + ": the secrets pppd sends (client server secret [addresses]).\n";
}

}  // namespace

std::string portOf(std::string_view deviceName) {
    std::string_view port = deviceName;
    const size_t close = deviceName.rfind(')');
    const size_t open = deviceName.rfind('(');
    if (close != std::string_view::npos && open != std::string_view::npos && open < close &&
        close == deviceName.size() - 1) {
        port = deviceName.substr(open + 1, close - open - 1);
    }
    std::string utf8;
    if (port.empty() || port[0] != '/' || !exactUtf8(port, utf8)) return {};
    return utf8;
}

Status peerNameFor(std::string_view entryName, std::string& peer) {
    if (Status valid = standin::ras::checkEntryName(entryName); !valid.ok()) return valid;
    if (entryName.front() == '.') return failure(ERROR_INVALID_NAME, "a peer's name cannot begin with a period");
    if (entryName.find('/') != std::string_view::npos) {
        return failure(ERROR_INVALID_NAME, "a peer's name cannot hold a /");
    }
    if (!exactUtf8(entryName, peer)) {
        return failure(ERROR_INVALID_NAME,
                       "the name " + standin::ras::forDisplay(entryName) +
                           " holds a character that does not come back the same from a file name");
    }
    if (peer.size() > 255) {
        return failure(ERROR_INVALID_NAME, "a peer's name holds at most 255 bytes of UTF-8, not " +
                                               std::to_string(peer.size()));
    }
    return {};
}

bool entryNameForPeer(std::string_view peer, std::string& entryName) {
    if (peer.empty() || peer.front() == '.') return false;
    return exactCp932(peer, entryName) && standin::ras::checkEntryName(entryName).ok();
}

Status listPeers(std::vector<std::string>& peers) {
    peers.clear();
    const std::string folder = local(kPeersDir);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        if (errno == ENOENT) return {};
        if (errno == EACCES || errno == EPERM) {
            return failure(ERROR_ACCESS_DENIED, "cannot read " + folder + ": " + std::strerror(errno) +
                                                    "; pppd's dial-up settings are readable by root (and group dip) alone");
        }
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK, "cannot read " + folder + ": " + std::strerror(errno));
    }
    std::vector<std::pair<std::string, std::string>> named;
    while (dirent* file = readdir(dir)) {
        std::string entryName;
        if (!entryNameForPeer(file->d_name, entryName)) continue;
        named.emplace_back(std::move(entryName), file->d_name);
    }
    closedir(dir);
    // Peers have no order of their own: they are listed by their entry
    // names, CP932 byte by byte.
    std::sort(named.begin(), named.end());
    for (auto& [entryName, peer] : named) {
        if (!isDefaultAliasFile(peer)) peers.push_back(std::move(peer));
    }
    return {};
}

Status findPeer(std::string_view entryName, std::string& peer) {
    std::string wanted;
    if (Status status = peerNameFor(entryName, wanted); !status.ok()) {
        return failure(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY,
                       "there is no peer for " + standin::ras::forDisplay(entryName) + ": " + status.detail);
    }
    if (kindOf(local(peerPath(wanted))) != FileKind::Missing && !isDefaultAliasFile(wanted)) {
        peer = wanted;
        return {};
    }
    std::vector<std::string> peers;
    if (Status status = listPeers(peers); !status.ok()) return status;
    for (const std::string& candidate : peers) {
        std::string name;
        if (entryNameForPeer(candidate, name) && cp932::compareNoCaseMultiByte(name, entryName) == 0) {
            peer = candidate;
            return {};
        }
    }
    return failure(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY,
                   "there is no entry named " + standin::ras::forDisplay(entryName) + " (no peer " + local(peerPath(wanted)) + ")");
}

namespace {

// Peers read, kept parsed while their files do not change: the program
// reads each entry several times around each change.
std::mutex peersMutex;
std::map<std::string, PeerState>& parsedPeers() {
    static std::map<std::string, PeerState> peers;
    return peers;
}

bool sameAsParsed(const PeerState& kept, const std::string& peerText) {
    if (kept.document.text != peerText) return false;
    bool present = false;
    std::string text;
    if (!kept.chatRealPath.empty()) {
        if (!readFileAt(local(kept.chatRealPath), present, text, "the chat script").ok()) return false;
        if (present != kept.chat.has_value() || (present && text != kept.chat->text)) return false;
    }
    if (!readFileAt(local(kept.resolvRealPath), present, text, "the name-server file").ok()) return false;
    return present == kept.resolvText.has_value() && (!present || text == *kept.resolvText);
}

Status parsePeerFiles(const std::string& peer, std::string text, PeerState& state);

}  // namespace

Status loadPeer(const std::string& peer, PeerState& state) {
    bool present = false;
    std::string text;
    if (Status status = readFileAt(local(peerPath(peer)), present, text, "the peer"); !status.ok()) return status;
    if (!present) return failure(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "the peer " + peerPath(peer) + " went away");
    {
        std::lock_guard guard(peersMutex);
        auto kept = parsedPeers().find(local(peerPath(peer)));
        if (kept != parsedPeers().end() && sameAsParsed(kept->second, text)) {
            state = kept->second;
            return {};
        }
    }
    if (Status status = parsePeerFiles(peer, std::move(text), state); !status.ok()) return status;
    std::lock_guard guard(peersMutex);
    parsedPeers()[local(peerPath(peer))] = state;
    return {};
}

namespace {

Status parsePeerFiles(const std::string& peer, std::string text, PeerState& state) {
    bool present = false;
    state = PeerState();
    state.peer = peer;
    std::string reason;
    if (!parsePeer(std::move(text), state.document, reason)) return damagedFile(peerPath(peer), reason);
    findChatScript(state);
    if (!state.chatRealPath.empty()) {
        std::string chatText;
        if (Status status = readFileAt(local(state.chatRealPath), present, chatText, "the chat script"); !status.ok()) {
            return status;
        }
        if (present) {
            ChatDocument chat;
            if (!parseChat(std::move(chatText), chat, reason)) return damagedFile(state.chatRealPath, reason);
            state.chat = std::move(chat);
        }
    }
    const std::string ipparam = state.document.valueOf("ipparam");
    state.resolvRealPath = resolvPath(!ipparam.empty() && ipparam.find('/') == std::string::npos &&
                                              ipparam.front() != '.'
                                          ? ipparam
                                          : peer);
    std::string resolvText;
    if (Status status = readFileAt(local(state.resolvRealPath), present, resolvText, "the name-server file");
        !status.ok()) {
        return status;
    }
    if (present) state.resolvText = std::move(resolvText);
    bool found = false;
    RASENTRYA recorded;
    if (Status status = parseRecorded(state, recorded, found); !status.ok()) return status;
    if (found) state.recorded = recorded;
    return parseAccountFields(state);
}

}  // namespace

RASENTRYA entryOf(const PeerState& state) {
    RASENTRYA entry = state.recorded ? *state.recorded : foreignEntry(state);
    // The dial command pppd's chat sends.
    const std::optional<DialCommand> dialled =
        state.chat ? dialCommandOf(*state.chat, state.phoneNumber) : std::optional<DialCommand>();
    const DialCommand recorded = dialOf(entry);
    if (dialled.value_or(DialCommand{}) != recorded || (!dialled && !recorded.number.empty())) {
        const std::string number = dialled ? (dialled->pulse ? "P" : "") + dialled->number : std::string();
        entry.dwfOptions &= ~RASEO_UseCountryAndAreaCodes;
        setText(entry.szAreaCode, "");
        if (!standin::ras::isPlainText(number) || !setText(entry.szLocalPhoneNumber, number)) {
            setText(entry.szLocalPhoneNumber, "");
        }
    }
    // The device pppd opens.
    const std::string port = portOf(textOf(entry.szDeviceName));
    const std::string device = currentDevice(state.document);
    if (!port.empty() && port != device) {
        std::string name;
        if (!exactCp932(device, name) || !setText(entry.szDeviceName, name)) setText(entry.szDeviceName, "");
    }
    // The name servers the link-up hook hands on.
    const std::optional<NameServers> servers = currentNameServers(state);
    if (servers != nameServersOf(entry)) {
        if (!servers) {
            entry.dwfOptions &= ~RASEO_SpecificNameServers;
        } else {
            entry.dwfOptions |= RASEO_SpecificNameServers;
            entry.ipaddrDns = servers->addresses.size() > 0 ? addressOf(servers->addresses[0]) : RASIPADDR{};
            entry.ipaddrDnsAlt = servers->addresses.size() > 1 ? addressOf(servers->addresses[1]) : RASIPADDR{};
        }
    }
    return normalized(entry);
}

Status loadSecrets(Secrets& secrets) {
    static std::mutex parsedMutex;
    static std::map<std::string, std::shared_ptr<const SecretsDocument>> parsedFiles;
    auto* parsed = &parsedFiles;
    for (auto [document, path] : {std::pair{&secrets.papFile, kPapSecrets}, std::pair{&secrets.chapFile, kChapSecrets}}) {
        bool present = false;
        std::string text;
        if (Status status = readFileAt(local(path), present, text, "the secrets file"); !status.ok()) return status;
        std::lock_guard guard(parsedMutex);
        auto& kept = (*parsed)[local(path)];
        if (kept && kept->present == present && kept->text == text) {
            *document = kept;
            continue;
        }
        auto fresh = std::make_shared<SecretsDocument>();
        if (present) {
            std::string reason;
            if (!parseSecrets(std::move(text), *fresh, reason)) return damagedFile(path, reason);
        }
        kept = fresh;
        *document = std::move(fresh);
    }
    return {};
}

Account accountOf(const PeerState& state, const Secrets& secrets) {
    Account account;
    account.user = state.document.valueOf("user");
    account.fields = state.accountFields;
    const std::string server = state.document.valueOf("remotename");
    if (account.user.empty()) return account;
    for (const SecretsDocument* document : {&secrets.pap(), &secrets.chap()}) {
        if (const std::optional<size_t> best = bestSecret(*document, account.user, server)) {
            account.password = *document->entries[*best].secret;
            break;
        }
    }
    return account;
}

Status planEntry(const std::string& peer, const PeerState* existing, const RASENTRYA& wanted, FileChanges& changes) {
    const RASENTRYA entry = normalized(wanted);
    const std::optional<NameServers> servers = nameServersOf(entry);
    if (existing == nullptr) {
        changes.put(peerPath(peer), newPeerText(peer, entry), FileMode::Private);
        changes.put(chatScriptPath(peer), newChatText(peer, entry), FileMode::Private);
        if (servers) {
            changes.put(resolvPath(peer), withNameServers("", *servers), FileMode::Public);
        } else {
            changes.remove(resolvPath(peer));
        }
        return {};
    }

    const PeerState& state = *existing;
    const RASENTRYA current = entryOf(state);
    TextEdit peerEdit(state.document.text);
    std::optional<std::string> chatText = state.chat ? std::optional<std::string>(state.chat->text) : std::nullopt;
    std::optional<std::string> resolvText = state.resolvText;
    bool chatChanged = false;

    // The dial command.
    const DialCommand dial = dialOf(entry);
    const std::optional<DialCommand> dialled =
        state.chat ? dialCommandOf(*state.chat, state.phoneNumber) : std::optional<DialCommand>();
    if (!dialled || *dialled != dial) {
        // Kivora writes chat scripts only where pppd's package keeps them.
        const bool ownFolder = state.chatRealPath.empty() ||
                               state.chatRealPath.rfind(std::string(kChatScriptsDir) + "/", 0) == 0 ||
                               state.chatRealPath.rfind("/etc/ppp/", 0) == 0;
        if (!ownFolder || state.chatRealPath.find("/../") != std::string::npos) {
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK, "the chat script " + state.chatRealPath + " of " + peerPath(peer) +
                                                            " is outside /etc/chatscripts and /etc/ppp; Kivora does "
                                                            "not change it");
        }
        if (state.chat && state.chat->dialWord) {
            const ChatWord& word = state.chat->words[*state.chat->dialWord];
            TextEdit chatEdit(state.chat->text);
            chatEdit.replace(word.begin, word.end, dialWordFor(dial));
            chatText = chatEdit.result();
        } else if (state.chat) {
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK, "the chat script " + state.chatRealPath +
                                                            " has no dial command (a send string ATD...) to change");
        } else if (!state.chatRealPath.empty()) {
            chatText = newChatText(peer, entry);
        } else if (state.document.has("connect")) {
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                           "the connect line of " + peerPath(peer) + " runs no chat script Kivora can read, so the "
                           "number it dials cannot be changed");
        } else {
            peerEdit.append(connectLine(chatScriptPath(peer)));
            chatText = newChatText(peer, entry);
        }
        chatChanged = true;
    }

    // The device.
    const std::string port = portOf(textOf(entry.szDeviceName));
    if (!port.empty() && port != currentDevice(state.document)) {
        if (state.document.deviceWord) {
            const OptionWord& word = state.document.words[*state.document.deviceWord];
            peerEdit.replace(word.begin, word.end, quoteOptionWord(port));
        } else {
            peerEdit.append(quoteOptionWord(port));
        }
    }

    // The name servers, and whether pppd asks the peer for its own.
    if (servers != currentNameServers(state)) {
        if (servers) {
            resolvText = withNameServers(state.resolvText.value_or(""), *servers);
        } else {
            resolvText.reset();
        }
    }
    const bool fixed = servers.has_value();
    if (fixed != ((current.dwfOptions & RASEO_SpecificNameServers) != 0)) {
        if (fixed) {
            for (const PeerOption& option : state.document.options) {
                if (option.name != "usepeerdns") continue;
                const OptionWord& word = state.document.words[option.word];
                peerEdit.removeWord(word.begin, word.end);
            }
        } else if (!state.document.has("usepeerdns")) {
            peerEdit.append("usepeerdns");
        }
    }
    if (fixed && !state.document.has("ipparam")) peerEdit.append("ipparam " + quoteOptionWord(peer));

    // Kivora's lines keep what pppd's cannot, whenever they are needed: the
    // number's fields in the chat script, the others in the peer.
    std::string peerText = peerEdit.result();
    PeerState edited;
    if (Status status = reparse(state, peerText, chatText, resolvText, edited); !status.ok()) return status;
    if (state.recorded ? !sameEntry(*state.recorded, entry) : !sameEntry(entryOf(edited), entry)) {
        const bool withChat = edited.chat.has_value();
        const std::string peerLines = recordLines(entry, withChat ? RecordPart::Peer : RecordPart::Whole);
        if (ownLinesText(peerText, edited.document.ownLines, "kivora") != peerLines) {
            peerText = withOwnLines(peerText, edited.document.ownLines, "kivora", peerLines);
        }
        if (withChat) {
            const std::string chatLines = recordLines(entry, RecordPart::Chat);
            if (ownLinesText(edited.chat->text, edited.chat->ownLines, "kivora") != chatLines) {
                chatText = withOwnLines(edited.chat->text, edited.chat->ownLines, "kivora", chatLines);
                chatChanged = true;
            }
        }
    }

    if (peerText != state.document.text) changes.put(peerPath(peer), peerText, FileMode::Private);
    if (chatChanged) {
        changes.put(state.chatRealPath.empty() ? chatScriptPath(peer) : state.chatRealPath, *chatText, FileMode::Private);
    }
    if (resolvText != state.resolvText) {
        const std::string resolvFile = state.document.has("ipparam") ? state.resolvRealPath : resolvPath(peer);
        if (resolvText) {
            changes.put(resolvFile, *resolvText, FileMode::Public);
        } else {
            changes.remove(resolvFile);
        }
    }
    return {};
}

Status planAccount(const PeerState& state, const Secrets& secrets, const Account& account, FileChanges& changes) {
    const Account before = accountOf(state, secrets);
    const std::string base = changes.pending(peerPath(state.peer)) ? *changes.pending(peerPath(state.peer)) : state.document.text;
    PeerDocument document;
    std::string reason;
    if (!parsePeer(base, document, reason)) return damagedFile(peerPath(state.peer), reason);

    // The user pppd names itself with.
    TextEdit peerEdit(document.text);
    if (account.user != before.user) {
        const PeerOption* user = document.last("user");
        if (user != nullptr) {
            const OptionWord& word = document.words[*user->argument];
            peerEdit.replace(word.begin, word.end, quoteOptionWord(account.user));
        } else {
            peerEdit.append("user " + quoteOptionWord(account.user));
        }
    }
    std::string peerText = peerEdit.result();
    if (std::memcmp(&account.fields, &state.accountFields, sizeof account.fields) != 0) {
        PeerDocument edited;
        if (!parsePeer(peerText, edited, reason)) return damagedFile(peerPath(state.peer), reason);
        peerText = withOwnLines(peerText, edited.ownLines, "kivora-account", accountLines(account.fields));
    }
    if (peerText != state.document.text) changes.put(peerPath(state.peer), peerText, FileMode::Private);

    // The secret, in each secrets file that has the account's line; in both
    // when neither has.
    const std::string server = document.valueOf("remotename");
    const std::string lineServer = server.empty() ? "*" : server;
    const SecretsDocument* documents[] = {&secrets.pap(), &secrets.chap()};
    const char* paths[] = {kPapSecrets, kChapSecrets};
    bool anyLine = false;
    for (const SecretsDocument* document : documents) {
        anyLine = anyLine || accountLine(*document, before.user, server) != kNoLine ||
                  accountLine(*document, account.user, server) != kNoLine;
    }
    for (int i = 0; i < 2; ++i) {
        const SecretsDocument& secretsFile = *documents[i];
        TextEdit edit(secretsFile.text);
        const size_t old = accountLine(secretsFile, before.user, server);
        const size_t same = accountLine(secretsFile, account.user, server);
        auto removeEntry = [&](size_t index) {
            const SecretEntry& entry = secretsFile.entries[index];
            edit.removeLines(secretsFile.words[entry.firstWord].begin, secretsFile.words[entry.lastWord].end);
        };
        auto setWord = [&](size_t wordIndex, const std::string& value) {
            const OptionWord& word = secretsFile.words[wordIndex];
            if (word.value != value) edit.replace(word.begin, word.end, quoteOptionWord(value));
        };
        if (account.password && !account.user.empty()) {
            if (same != kNoLine) {
                setWord(secretsFile.entries[same].firstWord + 2, *account.password);
                if (old != kNoLine && old != same) removeEntry(old);
            } else if (old != kNoLine) {
                setWord(secretsFile.entries[old].firstWord, account.user);
                setWord(secretsFile.entries[old].firstWord + 2, *account.password);
            } else if (!anyLine) {
                std::string line = (server.empty() ? quoteOptionWord(account.user) : std::string("*")) + " " +
                                   quoteOptionWord(lineServer) + " " + quoteOptionWord(*account.password);
                if (!secretsFile.present) {
                    std::string text = secretsHeaderFor(paths[i]) + line + "\n";
                    changes.put(paths[i], text, FileMode::Secret);
                    continue;
                }
                edit.append(line);
            }
        } else {
            if (old != kNoLine) removeEntry(old);
            if (same != kNoLine && same != old) removeEntry(same);
        }
        const std::string text = edit.result();
        if (secretsFile.present && text != secretsFile.text) changes.put(paths[i], text, FileMode::Secret);
    }
    return {};
}

void planRemoval(const PeerState& state, const Secrets& secrets, FileChanges& changes) {
    changes.remove(peerPath(state.peer));
    if (state.chatRealPath == chatScriptPath(state.peer)) changes.remove(state.chatRealPath);
    if (state.resolvText && state.resolvRealPath == resolvPath(state.peer)) changes.remove(state.resolvRealPath);
    const std::string user = state.document.valueOf("user");
    const std::string server = state.document.valueOf("remotename");
    if (user.empty()) return;
    for (auto [document, path] : {std::pair{&secrets.pap(), kPapSecrets}, std::pair{&secrets.chap(), kChapSecrets}}) {
        const size_t line = accountLine(*document, user, server);
        if (line == kNoLine) continue;
        TextEdit edit(document->text);
        const SecretEntry& entry = document->entries[line];
        edit.removeLines(document->words[entry.firstWord].begin, document->words[entry.lastWord].end);
        changes.put(path, edit.result(), FileMode::Secret);
    }
}

}  // namespace ppp
