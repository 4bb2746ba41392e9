// How the program's journals are kept on this platform. A journal decides
// what Kivora writes into the user's entries, so only a journal that Kivora
// itself could have written is trusted: it lives in a folder of Kivora's own
// in the user's local application data, that only the user can change, and
// it is never reached through a link. Files are appended to or replaced
// whole, never written through a name that someone else made. Passwords in
// them are sealed for the user alone where the platform can do that.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace journalstorage {

enum class Outcome {
    Done,
    // No such file (or no folder for it).
    Missing,
    // A link, another user's, or writable by others: not Kivora's own.
    Untrusted,
    // The platform refused the call.
    Failed,
};

// Kivora's folder in the user's local application data, made private to
// the user when missing. Untrusted when it or the folder above it is not
// the user's own (a link, another user's, or writable by others); `folder`
// then names it all the same, to be told.
Outcome findFolder(std::string& folder);

// The whole file `path`. Untrusted when it is a link, not a plain file,
// another user's, known by other names too, or writable by others.
Outcome readFile(const std::string& path, std::string& content);

// Replaces (or makes) `path` with `content`: a new file private to the user,
// flushed to the disk and renamed over the old name, so a link there is
// replaced and never followed, and a crash leaves the old file or the new.
bool replaceFile(const std::string& path, std::string_view content);

// A journal open for appending records.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the existing `path` (trusted as for readFile) and cuts it to its
    // first `length` bytes.
    Outcome open(const std::string& path, std::uint64_t length);
    // Appends `bytes`; with `durable`, on the disk rather than only in the
    // system's cache when it returns.
    bool append(std::string_view bytes, bool durable);
    bool isOpen() const;
    void close();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// `count` bytes no one can guess, from the system's random source.
bool randomBytes(std::size_t count, std::string& bytes);

// A password as the journal keeps it, and back. Sealing cannot fail where
// there is nothing to seal with; unsealing fails for what was not sealed by
// this user.
bool sealSecret(const std::string& secret, std::string& sealed);
bool unsealSecret(const std::string& sealed, std::string& secret);

}  // namespace journalstorage
