// A store file of named records with its journal beside it (see Journal.h):
// the records parsed once and kept, brought up to date from the disk when
// another process changed either file, and each change made durable by one
// appended record. When the journal grows past the file's own size (plus
// kJournalFloor) the next change writes the file whole and the journal is
// removed; a journal left by a writer killed in between names another file
// and is ignored.
#pragma once

#include "Journal.h"
#include "NamedRecords.h"
#include "SectionFile.h"
#include "StoreFile.h"
#include "SystemRoot.h"
#include "TextEscaping.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

// A journal may outgrow its file by this much before the file is written
// whole: small files are not rewritten every few changes.
constexpr size_t kJournalFloor = 64 * 1024;

template <typename Record>
class JournaledFile {
public:
    using Model = NamedRecords<Record>;

    struct Format {
        const char* fileName;
        const char* journalName;
        const char* what;  // "the phonebook", for reports
        mode_t mode;
        bool (*parse)(std::string_view, Model&, std::string&);
        std::string (*serialize)(const Model&);
        bool (*parseRecord)(const Section&, Record&, std::string&);
        std::string (*formatRecord)(std::string_view, const Record&);
    };

    explicit JournaledFile(const Format& format) : format_(format) {}

    // Brings the model up to date with the file and its journal: nothing is
    // read while neither changed, only the new records when the journal grew.
    Status refresh() {
        std::string path = rootFile(format_.fileName);
        std::string journalPath = rootFile(format_.journalName);
        FileIdentity base;
        FileIdentity journal;
        if (!identityOf(path, base)) return unreadable(path);
        if (!identityOf(journalPath, journal)) return unreadable(journalPath);
        if (state_ != State::Unknown && path == path_ && base == base_) {
            if (journal == journal_) {
                return state_ == State::Damaged ? failure(ERROR_CANNOT_OPEN_PHONEBOOK, damage_) : Status{};
            }
            if (state_ == State::Loaded && journalApplies_ && journal.sameFile(journal_) &&
                static_cast<size_t>(journal.size) >= journalEnd_) {
                return readNewRecords(journal);
            }
        }
        return load(path, journalPath);
    }

    // The model as refresh left it.
    const Model& model() const { return model_; }

    // Whether the journal ends with a record that a killed writer did not
    // finish (the next change cuts it off).
    bool endsCutShort() const { return journalApplies_ && journalRead_ > journalEnd_; }

    // Changes are made with the root lock held, after a refresh.
    Status put(std::string_view name, const Record& record) {
        return commit(journalPut(format_.formatRecord(name, record)), [&] { model_.put(name, record); });
    }

    Status remove(std::string_view name) {
        std::string headerLine;
        appendHeader(headerLine, name);
        return commit(journalRemove(headerLine), [&] { model_.remove(name); });
    }

private:
    enum class State { Unknown, Loaded, Damaged };

    // The path is a copy: forget() clears the file's own.
    Status unreadable(std::string path) {
        int error = errno;
        forget();
        return unreadableFile(format_.what, path, std::strerror(error));
    }

    Status damaged(const char* what, const std::string& path, const std::string& reason) {
        model_ = Model();
        damage_ = damagedFile(what, path, reason);
        state_ = State::Damaged;
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK, damage_);
    }

    Status journalDamaged(const std::string& reason) {
        std::string what = std::string("the journal of ") + format_.what;
        return damaged(what.c_str(), journalPath_, reason);
    }

    // Reads the file and the journal afresh. A writer may write the file
    // whole and remove the journal between the two reads, so the pair is
    // taken only if the file is still the one read; otherwise it is read
    // again.
    Status load(const std::string& path, const std::string& journalPath) {
        for (;;) {
            forget();
            path_ = path;
            journalPath_ = journalPath;
            std::string content;
            if (Status status = open(path, base_, baseFile_, content); !status.ok()) return status;
            baseSize_ = content.size();
            baseChecksum_ = journalChecksum(content);
            std::string reason;
            Status status;
            if (!format_.parse(content, model_, reason)) {
                status = damaged(format_.what, path, reason);
                // Kept as it is, so that the damage is reported again without a read.
                if (!identityOf(journalPath, journal_)) return unreadable(journalPath);
            } else {
                state_ = State::Loaded;
                status = loadJournal();
                if (state_ == State::Unknown) return status;  // the journal could not be read
                if (state_ == State::Damaged && journalChangedSinceRead()) continue;
            }
            FileIdentity now;
            if (!identityOf(path, now)) return unreadable(path);
            if (now.sameFile(base_)) return status;
        }
    }

    // A writer cuts off what a killed writer left of a record and appends
    // its own in the same place; a reader reading meanwhile may get the
    // start of one and the rest of the other. Damage is only damage in a
    // journal that stood still while it was read: writers never change a
    // damaged one.
    bool journalChangedSinceRead() {
        FileIdentity now;
        return identityOf(journalPath_, now) && !(now == journal_);
    }

    // Opens and reads a file that may be missing (empty content).
    Status open(const std::string& path, FileIdentity& identity, FileDescriptor& file, std::string& content) {
        content.clear();
        file = openForReading(path);
        if (!file) {
            if (errno == ENOENT) {
                identity = FileIdentity();
                return {};
            }
            return unreadable(path);
        }
        if (!identityOf(file, identity)) return unreadable(path);
        if (!identity.regular) {
            forget();
            return unreadableFile(format_.what, path, "it is not a regular file");
        }
        content.reserve(static_cast<size_t>(identity.size));
        if (!readFrom(file, 0, content)) return unreadable(path);
        return {};
    }

    Status loadJournal() {
        std::string content;
        if (Status status = open(journalPath_, journal_, journalFile_, content); !status.ok()) return status;
        if (!journal_.present) return {};
        std::uint64_t size = 0;
        std::uint64_t checksum = 0;
        std::string reason;
        if (!readJournalHeader(content, size, checksum, journalEnd_, journalEndLine_, reason)) {
            return journalDamaged(reason);
        }
        if (size != baseSize_ || checksum != baseChecksum_) {
            // A file shorter than the one the journal names, and not the one
            // a writer wrote whole from it, lost its end: the journal's
            // changes would silently vanish with it.
            if (baseSize_ < size && !wroteWhole(content)) {
                journalFile_.reset();
                return damaged(format_.what, path_,
                               "it holds " + std::to_string(baseSize_) + " bytes where its journal " +
                                   journalPath_ + " expects " + std::to_string(size) +
                                   ": it was cut short");
            }
            // Left by a writer killed after it wrote the file whole (all it
            // holds is in the file), or the file was edited by hand.
            journalFile_.reset();
            return {};
        }
        journalApplies_ = true;
        return applyRecords(content, 0);
    }

    // Whether the journal's last record says the file now beside it was
    // written whole from it.
    bool wroteWhole(std::string_view content) const {
        std::vector<JournalRecord> records;
        size_t end = 0;
        size_t endLine = 0;
        std::string reason;
        readJournalRecords(content, journalEnd_, journalEndLine_, records, end, endLine, reason);
        return !records.empty() && records.back().kind == JournalRecord::Kind::Whole &&
               records.back().wholeSize == baseSize_ && records.back().wholeChecksum == baseChecksum_;
    }

    Status readNewRecords(const FileIdentity& journal) {
        std::string content;
        if (!readFrom(journalFile_, journalEnd_, content)) return unreadable(journalPath_);
        journal_ = journal;
        Status status = applyRecords(content, journalEnd_);
        if (state_ == State::Damaged && journalChangedSinceRead()) {
            std::string path = path_;
            std::string journalPath = journalPath_;
            return load(path, journalPath);
        }
        return status;
    }

    // Applies the whole records of `content`, which starts at `offset` of
    // the journal, from journalEnd_ on.
    Status applyRecords(std::string_view content, size_t offset) {
        std::vector<JournalRecord> records;
        size_t end = 0;
        size_t endLine = 0;
        std::string reason;
        bool whole = readJournalRecords(content, journalEnd_ - offset, journalEndLine_,
                                        records, end, endLine, reason);
        for (const JournalRecord& record : records) {
            if (!apply(record, reason)) return journalDamaged(reason);
        }
        if (!whole) return journalDamaged(reason);
        journalEnd_ = offset + end;
        journalEndLine_ = endLine;
        journalRead_ = offset + content.size();
        return {};
    }

    bool apply(const JournalRecord& record, std::string& reason) {
        // A writer stopped before its file was in place: the file is still the base.
        if (record.kind == JournalRecord::Kind::Whole) return true;
        std::vector<Section> sections;
        if (!parseSections(record.text, sections, reason, record.textLine)) return false;
        if (sections.size() != 1) {
            reason = atLine(record.textLine, "a record holds exactly one [name] and its fields");
            return false;
        }
        const Section& section = sections.front();
        if (record.kind == JournalRecord::Kind::Put) {
            Record parsed;
            if (!format_.parseRecord(section, parsed, reason)) return false;
            model_.put(section.name, parsed);
            return true;
        }
        if (!section.values.empty() || !model_.remove(section.name)) {
            reason = atLine(section.line, "the removal of [" + forDisplay(section.name) +
                                              "] names no record, or has fields");
            return false;
        }
        return true;
    }

    // Makes `framed` durable and applies the change it frames to the model.
    template <typename Change>
    Status commit(const std::string& framed, const Change& change) {
        if (Status status = guardPrivateFiles(); !status.ok()) return status;
        removeStaleTemporaries(path_);
        removeStaleTemporaries(journalPath_);
        change();
        // A link planted at either name is replaced, never written through:
        // the file is written whole from the model (which holds all the
        // journal said) and the journal's name removed.
        if (isLink(path_) || isLink(journalPath_)) {
            forgetJournal();
            return writeWhole();
        }
        size_t journalSize = journalApplies_ ? journalEnd_ : 0;
        if (!base_.present || journalSize + framed.size() > baseSize_ + kJournalFloor) {
            return writeWhole();
        }
        if (!journalApplies_) return startJournal(framed);
        return append(framed);
    }

    // The file written whole from the model; the journal it absorbed goes.
    Status writeWhole() {
        std::string content = format_.serialize(model_);
        if (journalApplies_) {
            // Should the journal outlive this write, it names the file that absorbed it.
            if (Status status = append(journalWhole(content.size(), journalChecksum(content))); !status.ok()) {
                return status;
            }
        } else {
            // A journal that does not apply holds nothing the file lacks.
            removeFile(journalPath_);
        }
        if (!replaceFileAtomically(path_, content, format_.mode)) return unwritable(path_);
        // Nobody else writes while the root lock is held, so the file now in
        // place is the one the model shows.
        baseFile_ = openForReading(path_);
        if (!baseFile_ || !identityOf(baseFile_, base_)) return unwritable(path_);
        baseSize_ = content.size();
        baseChecksum_ = journalChecksum(content);
        // Should this fail, the journal still names the old file and is ignored.
        removeFile(journalPath_);
        forgetJournal();
        identityOf(journalPath_, journal_);
        return {};
    }

    Status startJournal(const std::string& framed) {
        std::string content = journalHeader(format_.fileName, baseSize_, baseChecksum_) + framed;
        if (!replaceFileAtomically(journalPath_, content, format_.mode)) return unwritable(journalPath_);
        journalFile_ = openForReading(journalPath_);
        if (!journalFile_ || !identityOf(journalFile_, journal_)) return unwritable(journalPath_);
        journalApplies_ = true;
        journalEnd_ = journalRead_ = content.size();
        journalEndLine_ = 1 + static_cast<size_t>(std::count(content.begin(), content.end(), '\n'));
        return {};
    }

    // The credentials are written only while they are the user's alone (see
    // guardPrivateFile).
    Status guardPrivateFiles() {
        for (const std::string* path : {&path_, &journalPath_}) {
            if (Status refused = guardPrivateFile(*path, format_.mode); !refused.ok()) {
                forget();
                return refused;
            }
        }
        return {};
    }

    // One write, flushed before the change is reported done. What a killed
    // writer left of a record after the last whole one is cut off first.
    Status append(const std::string& framed) {
        FileDescriptor file = openForAppending(journalPath_);
        FileIdentity now;
        if (!file || !identityOf(file, now)) return unwritable(journalPath_);
        if (!now.sameFile(journal_)) {
            Status replaced = unwritableFile(journalPath_, "it was replaced while it was open");
            forget();
            return replaced;
        }
        if (now.size != journalEnd_ && !truncateTo(file, journalEnd_)) return unwritable(journalPath_);
        // What was written of the record is cut off by the next change.
        if (!appendAll(file, framed)) return unwritable(journalPath_);
        if (!flushToDisk(file) || !identityOf(file, journal_)) return unwritable(journalPath_);
        journalEnd_ = journalRead_ = journalEnd_ + framed.size();
        journalEndLine_ += static_cast<size_t>(std::count(framed.begin(), framed.end(), '\n'));
        return {};
    }

    Status unwritable(std::string path) {
        int error = errno;
        forget();
        return unwritableFile(path, error);
    }

    void forgetJournal() {
        journalFile_.reset();
        journal_ = FileIdentity();
        journalApplies_ = false;
        journalEnd_ = journalRead_ = 0;
        journalEndLine_ = 1;
    }

    void forget() {
        state_ = State::Unknown;
        path_.clear();
        baseFile_.reset();
        base_ = FileIdentity();
        forgetJournal();
        model_ = Model();
    }

    Format format_;
    State state_ = State::Unknown;
    std::string path_;
    std::string journalPath_;
    // Both held open, so that the inode number of a file read cannot be
    // given to a newer file while the model stands for it.
    FileDescriptor baseFile_;
    FileDescriptor journalFile_;
    FileIdentity base_;
    FileIdentity journal_;
    size_t baseSize_ = 0;
    std::uint64_t baseChecksum_ = 0;
    bool journalApplies_ = false;
    size_t journalEnd_ = 0;      // past the last whole record applied
    size_t journalEndLine_ = 1;  // the line there
    size_t journalRead_ = 0;     // past the last byte read
    Model model_;
    std::string damage_;
};

}  // namespace standin::ras
