// The files of a peer as documents the service reads and edits in place:
// the peer's options, its chat script, the secrets files and the
// name-server file. An edit changes the words it must and keeps every other
// byte, comments and unknown options included.
#pragma once

#include "PppText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ppp {

// Replacements of byte ranges of a text, applied together.
class TextEdit {
public:
    explicit TextEdit(std::string_view text) : text_(text) {}
    void replace(size_t begin, size_t end, std::string replacement);
    // Removes the lines that hold bytes begin to end, line breaks included.
    void removeLines(size_t begin, size_t end);
    // Inserts a line before the line that holds byte `at` (at the end when
    // `at` is past the text).
    void insertLineBefore(size_t at, std::string line);
    void append(std::string line);
    // Removes one word and the blanks after it, or its line when it stands
    // alone there.
    void removeWord(size_t begin, size_t end);
    std::string result() const;

private:
    struct Replacement {
        size_t begin;
        size_t end;
        std::string text;
    };
    size_t lineStart(size_t at) const;
    size_t lineEnd(size_t at) const;  // past the line break
    std::string_view text_;
    std::vector<Replacement> replacements_;
};

// Kivora's own comment lines in a peer or a chat script: "#kivora
// FIELD=VALUE" for the entry's fields, "#kivora-account FIELD=VALUE" for its
// account's; pppd and chat read them as comments.
struct OwnLine {
    size_t begin;
    size_t end;  // past its line break
    std::string key;    // "kivora" or "kivora-account"
    std::string field;
    std::string value;  // as written (comment text)
};

// False, with the reason, for a line of Kivora's own that is not
// FIELD=VALUE.
bool findOwnLines(std::string_view text, std::vector<OwnLine>& lines, std::string& reason);
// The text with the own lines of `key` replaced by `lines` where the first
// of them was, or after the comment lines that open the text.
std::string withOwnLines(std::string_view text, const std::vector<OwnLine>& own, std::string_view key,
                         const std::string& lines);
// The own lines of `key` as they stand.
std::string ownLinesText(std::string_view text, const std::vector<OwnLine>& own, std::string_view key);

// An option of a peer file and where its words are.
struct PeerOption {
    std::string name;
    size_t word = 0;          // index of the option's word
    std::optional<size_t> argument;  // index of its argument's word
};

// The options of a peer file that the service reads, and its own lines.
struct PeerDocument {
    std::string text;
    std::vector<OptionWord> words;
    std::vector<PeerOption> options;

    // The last of each option pppd would act on (later ones win).
    const PeerOption* last(std::string_view name) const;
    std::string valueOf(std::string_view name) const;  // the last one's argument, or empty
    bool has(std::string_view name) const;
    // The device the peer dials on (the last word naming a serial port).
    std::optional<size_t> deviceWord;

    std::vector<OwnLine> ownLines;
    // The default peer Kivora writes: a "#kivora-default" line.
    bool isDefaultAlias = false;
};

// False, with the reason, for a peer pppd would misread.
bool parsePeer(std::string text, PeerDocument& peer, std::string& reason);

// The chat script's dial command: the first send string starting "ATD".
struct DialCommand {
    bool pulse = false;
    std::string number;  // what follows ATDT / ATDP / ATD, as sent
    bool operator==(const DialCommand&) const = default;
};

struct ChatDocument {
    std::string text;
    std::vector<ChatWord> words;
    std::optional<size_t> dialWord;
    std::vector<OwnLine> ownLines;
};

bool parseChat(std::string text, ChatDocument& chat, std::string& reason);
// The dial command chat sends, with \T as `phoneNumber`.
std::optional<DialCommand> dialCommandOf(const ChatDocument& chat, std::string_view phoneNumber);
// The dial command's word as the service writes it.
std::string dialWordFor(const DialCommand& dial);

// One entry of a secrets file: client, server, secret and the addresses
// after them, as pppd groups the words (an entry starts a line).
struct SecretEntry {
    size_t firstWord = 0;
    size_t lastWord = 0;
    std::string client;
    std::string server;
    std::optional<std::string> secret;
};

struct SecretsDocument {
    bool present = false;
    std::string text;
    std::vector<OptionWord> words;
    std::vector<SecretEntry> entries;
};

bool parseSecrets(std::string text, SecretsDocument& secrets, std::string& reason);

// The entry pppd takes for a client and a server, as its scan_authfile
// chooses: the first of the most specific matches (an exact name beats
// "*"), among entries that have a secret. An empty server is none named:
// every server matches.
std::optional<size_t> bestSecret(const SecretsDocument& secrets, std::string_view client, std::string_view server);

// The name servers of a /etc/ppp/resolv file: its "nameserver" lines.
struct NameServers {
    std::vector<std::string> addresses;  // IPv4, dotted, in file order
    bool operator==(const NameServers&) const = default;
};
NameServers parseNameServers(std::string_view text);
// The file with its name-server lines replaced by `servers`, every other
// line kept.
std::string withNameServers(std::string_view text, const NameServers& servers);

}  // namespace ppp
