#include "ChangeJournal.h"

#include "shlobj.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One record a line: its words, a space, '#' and the FNV-1a checksum of the
// words, so that a line torn or scribbled on is never taken for a record.
std::uint32_t checksum(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string hexWord(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string word = "x";
    for (unsigned char c : bytes) {
        word += digits[c >> 4];
        word += digits[c & 15];
    }
    return word;
}

bool fromHexWord(const std::string& word, std::string& bytes) {
    if (word.empty() || word[0] != 'x' || word.size() % 2 == 0) return false;
    bytes.clear();
    auto value = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (std::size_t i = 1; i < word.size(); i += 2) {
        int high = value(word[i]);
        int low = value(word[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string stateWords(const EntryState& state) {
    if (!state.present) return "absent";
    return "present " + hexWord(state.properties) + " " + hexWord(state.userName) + " " +
           (state.password ? hexWord(*state.password) : "-");
}

bool readState(std::istringstream& words, EntryState& state) {
    std::string presence;
    words >> presence;
    state = EntryState{};
    if (presence == "absent") return true;
    std::string properties, user, password;
    if (presence != "present" || !(words >> properties >> user >> password)) return false;
    state.present = true;
    if (!fromHexWord(properties, state.properties) || !fromHexWord(user, state.userName)) return false;
    if (password == "-") return true;
    state.password.emplace();
    return fromHexWord(password, *state.password);
}

// Applies one record's words to the changes read so far; false when they
// are not a record.
bool applyRecord(const std::string& content, std::vector<RecordedChange>& changes, std::size_t& passStart) {
    std::istringstream words(content);
    std::string kind;
    unsigned long sequence = 0;
    words >> kind;
    if (kind == "pass") {
        passStart = changes.size();
        return true;
    }
    if (!(words >> sequence) || sequence == 0) return false;
    if (kind == "begin") {
        RecordedChange change;
        std::string changeKind, name;
        change.sequence = sequence;
        if (!(words >> changeKind >> name) || !fromHexWord(name, change.entryName)) return false;
        if (changeKind != "change" && changeKind != "undo") return false;
        change.kind = changeKind == "undo" ? ChangeKind::Undo : ChangeKind::Change;
        if (!readState(words, change.former)) return false;
        changes.push_back(std::move(change));
        return true;
    }
    RecordedChange* change = nullptr;
    for (RecordedChange& candidate : changes) {
        if (candidate.sequence == sequence) change = &candidate;
    }
    if (change == nullptr) return false;
    if (kind == "done") {
        change->after.emplace();
        return readState(words, *change->after);
    }
    if (kind == "restored") change->restored = true;
    else if (kind == "undone") change->undone = true;
    else return false;
    return true;
}

// Kivora's folder of the user's application data, made when missing; empty
// when there is none.
std::string journalFolder() {
    char appData[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK) {
        return {};
    }
    std::string folder = std::string(appData) + "/Kivora";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    return error ? std::string() : folder;
}

// The journal holds the accounts it may have to put back, passwords
// included: it is the user's alone, whatever mode an older copy had.
std::FILE* openPrivately(const std::string& path, bool truncate) {
#ifdef _WIN32
    return std::fopen(path.c_str(), truncate ? "wb" : "ab");
#else
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0600);
    if (fd < 0) return nullptr;
    std::FILE* file = fchmod(fd, 0600) == 0 ? fdopen(fd, "ab") : nullptr;
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

// Down to the disk, not just to the system's cache: a record must outlive a
// power cut that the entry's write after it survives.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// A file just made must be found again after a crash: its folder is flushed.
void flushFolder(const std::string& path) {
#ifndef _WIN32
    int fd = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
#else
    (void)path;
#endif
}

}  // namespace

ChangeJournal::ChangeJournal(std::string fileName) {
    const std::string folder = journalFolder();
    if (!folder.empty()) path_ = folder + "/" + fileName;
}

ChangeJournal::~ChangeJournal() {
    if (file_ != nullptr) std::fclose(file_);
}

bool ChangeJournal::read(std::vector<RecordedChange>& changes) const {
    std::size_t intactLength = 0;
    return read(changes, intactLength);
}

bool ChangeJournal::read(std::vector<RecordedChange>& changes, std::size_t& intactLength) const {
    changes.clear();
    intactLength = 0;
    // No folder for it: nothing was ever recorded (and nothing can be).
    if (path_.empty()) return true;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return !std::filesystem::exists(path_);
    std::stringstream whole;
    whole << in.rdbuf();
    if (in.bad()) return false;
    const std::string text = whole.str();

    std::size_t passStart = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        // A last line without its end was cut off while it was written.
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        const bool last = end + 1 == text.size();
        at = end + 1;
        std::size_t mark = line.rfind(" #");
        bool intact = mark != std::string::npos && line.size() == mark + 10;
        if (intact) {
            char expected[9];
            std::snprintf(expected, sizeof expected, "%08x", checksum(line.substr(0, mark)));
            intact = line.compare(mark + 2, 8, expected) == 0;
        }
        if (!intact || !applyRecord(line.substr(0, mark), changes, passStart)) {
            if (last) break;
            return false;
        }
        intactLength = at;
    }
    for (std::size_t i = passStart; i < changes.size(); ++i) changes[i].inLastPass = true;
    return true;
}

bool ChangeJournal::open(bool newPass) {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::vector<RecordedChange> changes;
    std::size_t intactLength = 0;
    if (path_.empty() || !read(changes, intactLength)) return false;
    // A torn last line is cut off, so that the next record starts a line.
    std::error_code error;
    if (std::filesystem::exists(path_) && std::filesystem::file_size(path_) != intactLength) {
        std::filesystem::resize_file(path_, intactLength, error);
        if (error) return false;
    }
    bool afresh = newPass;
    for (const RecordedChange& change : changes) {
        if (change.unfinished()) afresh = false;
    }
    lastSequence_ = afresh || changes.empty() ? 0 : changes.back().sequence;
    file_ = openPrivately(path_, afresh);
    if (file_ == nullptr) return false;
    if (afresh) flushFolder(path_);
    return !newPass || append("pass");
}

unsigned long ChangeJournal::begin(ChangeKind kind, const std::string& entryName, const EntryState& former) {
    const unsigned long sequence = lastSequence_ + 1;
    const char* word = kind == ChangeKind::Undo ? "undo" : "change";
    if (!append("begin " + std::to_string(sequence) + " " + word + " " + hexWord(entryName) + " " +
                stateWords(former))) {
        return 0;
    }
    lastSequence_ = sequence;
    return sequence;
}

// Only a change's beginning must reach the disk before the entry is written.
// The records after it reach the system at once, so a killed Kivora loses
// none; a power cut may lose them, and then the next start puts the entry
// back whole, or an undo finds it already as it was: the same state either
// way, so they are not waited for.
bool ChangeJournal::finish(unsigned long sequence, const EntryState& after) {
    return append("done " + std::to_string(sequence) + " " + stateWords(after), false);
}

bool ChangeJournal::markRestored(unsigned long sequence) {
    return append("restored " + std::to_string(sequence), false);
}

bool ChangeJournal::markUndone(unsigned long sequence) { return append("undone " + std::to_string(sequence), false); }

bool ChangeJournal::append(const std::string& content, bool durable) {
    if (file_ == nullptr) return false;
    char mark[16];
    std::snprintf(mark, sizeof mark, " #%08x\n", checksum(content));
    const std::string line = content + mark;
    return std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
           (durable ? flushToDisk(file_) : std::fflush(file_) == 0);
}
