#include "ChangeJournal.h"

#include "RecordSignature.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>

using journalstorage::Outcome;

namespace {

// One record a line: its words, a space, '#' and the words' signature, so
// that a line torn, scribbled on or not written by Kivora is never taken
// for a record.
constexpr std::size_t kSignatureDigits = 16;

std::string signatureOf(const std::string& key, const std::string& words) {
    char digits[kSignatureDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(recordSignature(key, words)));
    return digits;
}

std::string recordLine(const std::string& key, const std::string& words) {
    return words + " #" + signatureOf(key, words) + "\n";
}

// Bytes as one word: "x", then two hex digits a byte. The records are mostly
// zeros, so a run of three or more is written "zN." (N their count, in hex).
constexpr std::size_t kLongestRun = 1 << 20;

std::string hexWord(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string word = "x";
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 0;
        while (i + run < bytes.size() && bytes[i + run] == '\0') ++run;
        if (run >= 3) {
            char count[24];
            std::snprintf(count, sizeof count, "z%zx.", run);
            word += count;
            i += run;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i++]);
        word += digits[c >> 4];
        word += digits[c & 15];
    }
    return word;
}

bool fromHexWord(const std::string& word, std::string& bytes) {
    if (word.empty() || word[0] != 'x') return false;
    bytes.clear();
    auto value = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (std::size_t i = 1; i < word.size();) {
        if (word[i] == 'z') {
            const std::size_t dot = word.find('.', i);
            std::size_t run = 0;
            for (std::size_t j = i + 1; j < dot; ++j) {
                if (value(word[j]) < 0 || run > kLongestRun) return false;
                run = run * 16 + static_cast<std::size_t>(value(word[j]));
            }
            if (dot == std::string::npos || dot == i + 1 || run > kLongestRun) return false;
            bytes.append(run, '\0');
            i = dot + 1;
            continue;
        }
        if (i + 1 >= word.size() || value(word[i]) < 0 || value(word[i + 1]) < 0) return false;
        bytes += static_cast<char>(value(word[i]) * 16 + value(word[i + 1]));
        i += 2;
    }
    return true;
}

// A state's password is written sealed, as "-" when none is stored, or as
// "*" once the change is over and its passwords were dropped.
constexpr const char* kNoPassword = "-";
constexpr const char* kDroppedPassword = "*";

bool stateWords(const EntryState& state, bool keepPassword, std::string& words) {
    if (!state.present) {
        words = "absent";
        return true;
    }
    std::string password = keepPassword ? kNoPassword : kDroppedPassword;
    if (keepPassword && state.password) {
        std::string sealed;
        if (!journalstorage::sealSecret(*state.password, sealed)) return false;
        password = hexWord(sealed);
    }
    words = "present " + hexWord(state.properties) + " " + hexWord(state.userName) + " " + password;
    return true;
}

bool readState(std::istringstream& words, EntryState& state, bool& passwordKept) {
    std::string presence;
    words >> presence;
    state = EntryState{};
    if (presence == "absent") return true;
    std::string properties, user, password;
    if (presence != "present" || !(words >> properties >> user >> password)) return false;
    state.present = true;
    if (!fromHexWord(properties, state.properties) || !fromHexWord(user, state.userName)) return false;
    if (password == kNoPassword) return true;
    if (password == kDroppedPassword) {
        passwordKept = false;
        return true;
    }
    // A password sealed by someone else, or scribbled on, is damage.
    std::string sealed;
    state.password.emplace();
    return fromHexWord(password, sealed) && journalstorage::unsealSecret(sealed, *state.password);
}

bool atEnd(std::istringstream& words) {
    std::string more;
    return !(words >> more);
}

bool beginWords(const RecordedChange& change, bool keepPasswords, std::string& words) {
    std::string former, aim;
    if (!stateWords(change.former, keepPasswords, former) || !stateWords(change.aim, keepPasswords, aim)) return false;
    words = "begin " + std::to_string(change.sequence) + (change.kind == ChangeKind::Undo ? " undo" : " change") +
            (change.removesFirst ? " remove-first " : " keep ") + hexWord(change.entryName) + " " + former + " " + aim;
    return true;
}

RecordedChange* changeNumbered(std::vector<RecordedChange>& changes, unsigned long sequence) {
    for (RecordedChange& change : changes) {
        if (change.sequence == sequence) return &change;
    }
    return nullptr;
}

// Applies one record's words to the changes read so far; false when they
// are not a record, or not one that fits those before it: a change is begun
// once, finished or undone only within its own pass, and closed only once.
bool applyRecord(const std::string& content, std::vector<RecordedChange>& changes, std::size_t& passes) {
    std::istringstream words(content);
    std::string kind;
    unsigned long sequence = 0;
    words >> kind;
    if (kind == "pass") {
        ++passes;
        return atEnd(words);
    }
    if (!(words >> sequence) || sequence == 0) return false;
    RecordedChange* change = changeNumbered(changes, sequence);
    if (kind == "begin") {
        if (change != nullptr) return false;
        RecordedChange begun;
        std::string changeKind, mode, name;
        begun.sequence = sequence;
        begun.pass = passes;
        if (!(words >> changeKind >> mode >> name) || !fromHexWord(name, begun.entryName)) return false;
        if ((changeKind != "change" && changeKind != "undo") || (mode != "keep" && mode != "remove-first")) return false;
        begun.kind = changeKind == "undo" ? ChangeKind::Undo : ChangeKind::Change;
        begun.removesFirst = mode == "remove-first";
        if (!readState(words, begun.former, begun.passwordsKept) || !readState(words, begun.aim, begun.passwordsKept)) {
            return false;
        }
        changes.push_back(std::move(begun));
        return atEnd(words);
    }
    if (change == nullptr) return false;
    if (kind == "done") {
        if (change->pass != passes || !change->unfinished()) return false;
        change->after.emplace();
        return readState(words, *change->after, change->passwordsKept) && atEnd(words);
    }
    if (kind == "restored" || kind == "left") {
        if (!change->unfinished()) return false;
        (kind == "restored" ? change->restored : change->leftAlone) = true;
    } else if (kind == "undone") {
        if (change->kind != ChangeKind::Change || !change->after || change->undone || change->pass != passes) {
            return false;
        }
        change->undone = true;
    } else {
        return false;
    }
    return atEnd(words);
}

// A change that is over keeps no passwords; one that may still have to be
// put back keeps them sealed.
bool keepsPasswords(const RecordedChange& change) { return change.unfinished() && change.passwordsKept; }

bool holdsPasswords(const RecordedChange& change) {
    return change.passwordsKept &&
           (change.former.password || change.aim.password || (change.after && change.after->password));
}

// The journal written anew from what was read, record for record and pass
// for pass, each change's records together.
bool journalText(const std::string& key, const std::vector<RecordedChange>& changes, std::size_t passes,
                 std::string& text) {
    text.clear();
    for (std::size_t pass = 0; pass <= passes; ++pass) {
        if (pass > 0) text += recordLine(key, "pass");
        for (const RecordedChange& change : changes) {
            if (change.pass != pass) continue;
            const bool keep = keepsPasswords(change);
            const std::string number = std::to_string(change.sequence);
            std::string words;
            if (!beginWords(change, keep, words)) return false;
            text += recordLine(key, words);
            if (change.after) {
                if (!stateWords(*change.after, keep, words)) return false;
                text += recordLine(key, "done " + number + " " + words);
            }
            if (change.restored) text += recordLine(key, "restored " + number);
            if (change.leftAlone) text += recordLine(key, "left " + number);
            if (change.undone) text += recordLine(key, "undone " + number);
        }
    }
    return true;
}

}  // namespace

ChangeJournal::ChangeJournal(std::string fileName) {
    std::string folder;
    switch (journalstorage::findFolder(folder)) {
    case Outcome::Done: break;
    case Outcome::Untrusted: folderTrouble_ = JournalTrouble::FolderNotOwn; break;
    // No folder for it: nothing was ever recorded (and nothing can be).
    case Outcome::Missing:
    case Outcome::Failed: return;
    }
    folder_ = folder;
    path_ = folder + "/" + fileName;
    keyPath_ = folder + "/" + kKeyFile;
}

ChangeJournal::~ChangeJournal() { close(); }

JournalTrouble ChangeJournal::read(std::vector<RecordedChange>& changes) const {
    std::size_t intactLength = 0, passes = 0;
    return read(changes, intactLength, passes);
}

JournalTrouble ChangeJournal::read(std::vector<RecordedChange>& changes, std::size_t& intactLength,
                                   std::size_t& passes) const {
    changes.clear();
    intactLength = 0;
    passes = 0;
    if (folderTrouble_ != JournalTrouble::None) return folderTrouble_;
    if (path_.empty()) return JournalTrouble::None;
    std::string text;
    switch (journalstorage::readFile(path_, text)) {
    case Outcome::Done: break;
    case Outcome::Missing: return JournalTrouble::None;
    case Outcome::Untrusted: return JournalTrouble::NotOwn;
    case Outcome::Failed: return JournalTrouble::Damaged;
    }
    // Records with no key to verify them by cannot be Kivora's.
    if (JournalTrouble trouble = loadKey(false); trouble != JournalTrouble::None && !text.empty()) return trouble;

    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        // A last line without its end was cut off while it was written.
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        const bool last = end + 1 == text.size();
        at = end + 1;
        const std::size_t mark = line.rfind(" #");
        const bool intact = mark != std::string::npos && line.size() == mark + 2 + kSignatureDigits &&
                            line.compare(mark + 2, kSignatureDigits, signatureOf(key_, line.substr(0, mark))) == 0;
        if (!intact || !applyRecord(line.substr(0, mark), changes, passes)) {
            if (last && !intact) break;
            changes.clear();
            return JournalTrouble::Damaged;
        }
        intactLength = at;
    }
    for (RecordedChange& change : changes) change.inLastPass = change.pass == passes;
    return JournalTrouble::None;
}

bool ChangeJournal::open(bool newPass) {
    file_.close();
    std::vector<RecordedChange> changes;
    std::size_t intactLength = 0, passes = 0;
    if (path_.empty() || read(changes, intactLength, passes) != JournalTrouble::None ||
        loadKey(true) != JournalTrouble::None) {
        return false;
    }
    const bool afresh =
        newPass && std::none_of(changes.begin(), changes.end(), [](const RecordedChange& c) { return c.unfinished(); });
    lastSequence_ = afresh || changes.empty() ? 0 : changes.back().sequence;
    // A torn last line is cut off, so that the next record starts a line.
    Outcome opened = afresh ? Outcome::Missing : file_.open(path_, intactLength);
    if (opened == Outcome::Missing && journalstorage::replaceFile(path_, "")) opened = file_.open(path_, 0);
    return opened == Outcome::Done && (!newPass || append("pass"));
}

unsigned long ChangeJournal::begin(ChangeKind kind, const std::string& entryName, const EntryState& former,
                                   const EntryState& aim, bool removesFirst) {
    RecordedChange change;
    change.sequence = lastSequence_ + 1;
    change.kind = kind;
    change.entryName = entryName;
    change.former = former;
    change.aim = aim;
    change.removesFirst = removesFirst;
    std::string words;
    if (!beginWords(change, true, words) || !append(words)) return 0;
    lastSequence_ = change.sequence;
    return change.sequence;
}

// Only a change's beginning must reach the disk before the entry is written.
// The records after it reach the system at once, so a killed Kivora loses
// none; a power cut may lose them, and then the next start puts the entry
// back whole, or an undo finds it already as it was: the same state either
// way, so they are not waited for.
bool ChangeJournal::finish(unsigned long sequence, const EntryState& after) {
    std::string words;
    return stateWords(after, true, words) && append("done " + std::to_string(sequence) + " " + words, false);
}

bool ChangeJournal::markRestored(unsigned long sequence) {
    return append("restored " + std::to_string(sequence), false);
}

bool ChangeJournal::markUndone(unsigned long sequence) { return append("undone " + std::to_string(sequence), false); }

bool ChangeJournal::markLeftAlone(unsigned long sequence) { return append("left " + std::to_string(sequence), false); }

void ChangeJournal::close() {
    if (!file_.isOpen()) return;
    file_.close();
    std::vector<RecordedChange> changes;
    std::size_t intactLength = 0, passes = 0;
    if (read(changes, intactLength, passes) != JournalTrouble::None) return;
    const bool dropping = std::any_of(changes.begin(), changes.end(), [](const RecordedChange& change) {
        return !keepsPasswords(change) && holdsPasswords(change);
    });
    std::string text;
    if (dropping && journalText(key_, changes, passes, text)) journalstorage::replaceFile(path_, text);
}

void ChangeJournal::setAside() const {
    if (path_.empty()) return;
    // Kivora's folder goes as a whole, so that the next journal is made in a
    // folder of its own making (unless the folder above is at fault).
    if (folderTrouble_ != JournalTrouble::None) {
        std::rename(folder_.c_str(), (folder_ + ".damaged").c_str());
        return;
    }
    std::rename(path_.c_str(), (path_ + ".damaged").c_str());
    // A key that cannot be used goes too, so that a new one is made.
    if (loadKey(false) != JournalTrouble::None) std::rename(keyPath_.c_str(), (keyPath_ + ".damaged").c_str());
}

JournalTrouble ChangeJournal::loadKey(bool create) const {
    if (!key_.empty()) return JournalTrouble::None;
    std::string sealed, key;
    switch (journalstorage::readFile(keyPath_, sealed)) {
    case Outcome::Done:
        if (!journalstorage::unsealSecret(sealed, key) || key.size() != kRecordKeySize) return JournalTrouble::Damaged;
        key_ = key;
        return JournalTrouble::None;
    case Outcome::Missing: break;
    case Outcome::Untrusted: return JournalTrouble::NotOwn;
    case Outcome::Failed: return JournalTrouble::Damaged;
    }
    if (!create || !journalstorage::randomBytes(kRecordKeySize, key) || !journalstorage::sealSecret(key, sealed) ||
        !journalstorage::replaceFile(keyPath_, sealed)) {
        return JournalTrouble::Damaged;
    }
    key_ = key;
    return JournalTrouble::None;
}

bool ChangeJournal::append(const std::string& content, bool durable) {
    if (file_.append(recordLine(key_, content), durable)) return true;
    // A record written in part must stay the last line, where it reads as
    // torn rather than as damage: nothing more is written to this journal.
    file_.close();
    return false;
}
