// Where pppd's files are, and how the ppp service changes them: every
// change of one call is made whole or not at all, under one lock, and no
// file is ever seen half written or readable by others when it holds
// secrets.
#pragma once

#include "StoreStatus.h"

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ppp {

using standin::ras::failure;
using standin::ras::Status;

// The real paths, as pppd and the files it reads name them.
constexpr const char* kPeersDir = "/etc/ppp/peers";
constexpr const char* kChatScriptsDir = "/etc/chatscripts";
constexpr const char* kPapSecrets = "/etc/ppp/pap-secrets";
constexpr const char* kChapSecrets = "/etc/ppp/chap-secrets";
constexpr const char* kResolvDir = "/etc/ppp/resolv";
constexpr const char* kStateDir = "/var/lib/kivora";
constexpr const char* kRunDir = "/run";
constexpr const char* kLockDir = "/run/lock";

// $KIVORA_PPP_ROOT, or empty for the machine's own files; read afresh on
// every call, so that a test can point one process at several roots.
std::string root();
// The file the service reads and writes for a real path: the path itself,
// or below the test root.
std::string local(std::string_view realPath);

std::string peerPath(std::string_view peer);        // real path
std::string chatScriptPath(std::string_view peer);  // real path
std::string resolvPath(std::string_view peer);      // real path

enum class FileKind { Missing, Regular, SymbolicLink, Directory, Other };

// What is at a (local) path, without following a symbolic link; Other with
// errno set when that cannot be told.
FileKind kindOf(const std::string& path);

// Reads a regular file. A file that is not there reads as missing; anything
// else that is not a regular file, or that cannot be read, is a failure
// naming the path and why (ERROR_ACCESS_DENIED without the right to read).
Status readFileAt(const std::string& localPath, bool& present, std::string& content, const char* what);

// How a file the service writes may be read: a secrets file by its owner
// alone, from the moment it exists.
enum class FileMode : mode_t { Secret = 0600, Private = 0640, Public = 0644 };

// The files one call changes. Nothing is written until commit().
class FileChanges {
public:
    // `realPath` gets `content`. An existing file keeps its owner, group and
    // mode, except that a secret file is never readable by others.
    void put(const std::string& realPath, std::string content, FileMode mode);
    void remove(const std::string& realPath);
    bool empty() const { return changes_.empty(); }
    // What put() left for a path, for a later step of the same call.
    const std::string* pending(const std::string& realPath) const;

    // Under the ServiceLock. Writes every new file beside its old one,
    // flushed to disk; records the step in the state folder when it changes
    // more than one file; then renames them into place and removes what
    // goes. A process killed at any moment leaves all or nothing, once the
    // next call (which finishes a recorded step) has run. A file that cannot
    // be written (no right, a read-only or full disk) fails the call before
    // anything is changed.
    Status commit();

private:
    struct Change {
        bool remove = false;
        std::string content;
        FileMode mode = FileMode::Public;
    };
    std::map<std::string, Change> changes_;
};

// The service's lock, over every read-modify-write of its files by any
// process: flock on /var/lib/kivora/ppp.lock. Taking it first finishes a
// step that a killed process recorded but did not complete.
class ServiceLock {
public:
    ServiceLock();
    ~ServiceLock();
    ServiceLock(const ServiceLock&) = delete;
    ServiceLock& operator=(const ServiceLock&) = delete;
    // The failure to take it (ERROR_ACCESS_DENIED with the reason when the
    // user may not change pppd's files), or what finishing a step found.
    const Status& status() const { return status_; }

private:
    int fd_ = -1;
    Status status_;
};

// Makes /var/lib/kivora, root's alone (mode 0700), when missing, and
// narrows it when it is open to others. False when it cannot be made.
bool ensureStateDir();

// Finishes a step a killed writer recorded (call under the ServiceLock).
Status finishRecordedStep();

// Whether a recorded step waits to be finished: readers then take the lock
// first, so that they never see half of one.
bool recordedStepPending();

// Drops the files kept in memory when the service changed any since (every
// change counts up a number in its lock file): each call begins with it.
void dropStaleCopies();

// The failure of a file operation on `path`, with the reason people need:
// ERROR_ACCESS_DENIED, saying that changing dial-up settings needs root,
// when the user may not write it or the file system is read-only;
// ERROR_CANNOT_WRITE_PHONEBOOK otherwise (a full disk ...).
Status writeFailure(const std::string& path, int error);

// A file that does not read as pppd or chat reads it: reported, never
// rewritten.
Status damagedFile(const std::string& realPath, const std::string& reason);

}  // namespace ppp
