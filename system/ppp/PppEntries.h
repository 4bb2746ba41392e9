// Phonebook entries as pppd peers: an entry NAME is /etc/ppp/peers/NAME,
// its chat script /etc/chatscripts/NAME, its account a line in pap-secrets
// and in chap-secrets, and its fixed name servers /etc/ppp/resolv/NAME.
// What pppd uses (the dial command, the device, the user, the secret, the
// name servers) is read from pppd's own lines; every other field the
// program writes is kept in comment lines of Kivora's own, so that reading
// an entry gives back exactly what was written.
#pragma once

#include "PppDocuments.h"
#include "PppFiles.h"
#include "ras.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ppp {

// The peer file name of an entry name (CP932 to UTF-8). ERROR_INVALID_NAME
// for a name that cannot be a peer: one that does not convert to UTF-8 and
// back byte for byte, is longer than a file name may be, holds a "/" or
// starts with ".".
Status peerNameFor(std::string_view entryName, std::string& peer);
// The entry name of a peer file; false for a file that is not one (a name
// CP932 cannot hold, a hidden or temporary file).
bool entryNameForPeer(std::string_view peer, std::string& entryName);

// The peer files, in the order of their names. Hidden: the default peer
// Kivora writes ("provider" calling another peer).
Status listPeers(std::vector<std::string>& peers);
// The peer of an entry: the file of that name, else one whose name differs
// only in ASCII letter case. ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when none.
Status findPeer(std::string_view entryName, std::string& peer);

// Everything of a peer the service reads.
struct PeerState {
    std::string peer;
    PeerDocument document;
    std::string chatRealPath;  // the chat script the connect line runs; empty when it names none
    std::string phoneNumber;   // chat's -T
    std::optional<ChatDocument> chat;
    std::string resolvRealPath;
    std::optional<std::string> resolvText;
    // The fields kept in Kivora's lines; none for a peer Kivora did not write.
    std::optional<RASENTRYA> recorded;
    RASDIALPARAMSA accountFields;  // szPhoneNumber, szCallbackNumber, szDomain
};

// ERROR_CANNOT_OPEN_PHONEBOOK, naming the file, for a peer that is not a
// regular file or that pppd or chat would misread; ERROR_ACCESS_DENIED when
// it may not be read.
Status loadPeer(const std::string& peer, PeerState& state);

// The entry's record as the program reads it.
RASENTRYA entryOf(const PeerState& state);

// The account of an entry.
struct Account {
    std::string user;
    std::optional<std::string> password;
    RASDIALPARAMSA fields;  // szPhoneNumber, szCallbackNumber, szDomain
};

// The two secrets files, parsed; kept parsed while they do not change, as
// every call about an account reads both.
struct Secrets {
    std::shared_ptr<const SecretsDocument> papFile;
    std::shared_ptr<const SecretsDocument> chapFile;
    const SecretsDocument& pap() const { return *papFile; }
    const SecretsDocument& chap() const { return *chapFile; }
};
Status loadSecrets(Secrets& secrets);
Account accountOf(const PeerState& state, const Secrets& secrets);

// The changes that make a peer (new when `existing` is null) read as `entry`.
Status planEntry(const std::string& peer, const PeerState* existing, const RASENTRYA& entry, FileChanges& changes);
// The changes that make an entry's account read as `account`.
Status planAccount(const PeerState& state, const Secrets& secrets, const Account& account, FileChanges& changes);
// The changes that remove the peer, its own chat script and name-server
// file and its account's lines.
void planRemoval(const PeerState& state, const Secrets& secrets, FileChanges& changes);

// The serial port a device name names: the text in its last brackets, or
// the name itself, when it is a path. Empty when it names none.
std::string portOf(std::string_view deviceName);

}  // namespace ppp
