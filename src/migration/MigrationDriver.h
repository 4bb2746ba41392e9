// The access-point migration: walks every entry of the default phonebook,
// finds those that still dial a retired access point (or, for ISDN, still
// carry the retired user-name domain), asks the user to confirm each change
// and rewrites the confirmed entries. One driver runs one pass.
#pragma once

#include "AccessPointTable.h"
#include "ChangeJournal.h"
#include "EntryUpdate.h"
#include "NumberRewriting.h"
#include "ProgressWindow.h"

#include <memory>
#include <optional>
#include <string>

class MigrationDriver {
public:
    // Reads the provider's seven migration settings and makes the progress
    // window, hidden and centred on the main window. Touches no phonebook.
    MigrationDriver();
    virtual ~MigrationDriver();
    MigrationDriver(const MigrationDriver&) = delete;
    MigrationDriver& operator=(const MigrationDriver&) = delete;

    // The whole pass, ending with one message that says what it did.
    void runMigration();
    // Reads one entry; when it qualifies, asks the user and writes what was
    // confirmed. An entry that is gone, or is not a modem entry, is left
    // alone. False when the phonebook could not be read: the pass must end.
    bool examineEntry(const char* entryName);

private:
    // What the entry being examined holds, as the user would read it.
    struct EntryTexts {
        std::string userName;
        // Null when the entry has no password stored.
        std::optional<std::string> savedPassword;
        std::string areaCode;
        std::string localNumber;
        std::string oldNumberText;
        std::string modemName;
    };

    enum class Reading { Read, Skipped, Failed };
    // Reads the entry's properties and dial parameters into the buffers.
    // Skipped: the entry is gone or is not a modem entry; Failed: the
    // phonebook could not be read, which has been told.
    Reading readEntry(const char* entryName, bool& passwordStored);
    // Decides which change, if any, the entry read is offered.
    void offerChange(const char* entryName, bool passwordStored);
    void offerAccessPointChange(const char* entryName, const EntryTexts& entry, const NumberMatch& match,
                                const std::string& newAccessNumber, const std::string& newDomain);
    void offerIsdnUserChange(const char* entryName, const EntryTexts& entry, const std::string& oldUserPart);
    // Writes a confirmed change (a null password, modem or number stays as
    // it was) as one change: both records or neither. Counts the entry when
    // it landed whole; tells every failure.
    void writeChange(const char* entryName, const EntryTexts& entry, const std::string& newUser,
                     const char* newPassword, const char* newModem, const char* newNumber);
    void showProgress(const char* text);
    void hideProgress();

    AccessPointTable generalTable;
    AccessPointTable phsTable;
    std::unique_ptr<ProgressWindow> progressWindow;
    // Entries offered to the user, entries really rewritten, and entries
    // that would qualify but could not be offered for want of settings.
    int foundCount = 0;
    int changedCount = 0;
    int unofferedCount = 0;

    std::string oldDomain;
    std::string dialupDomain;
    std::string mobileDomain;
    std::string fletsIsdnDomain;
    std::string defaultTelNumber;
    std::string defaultMobileNumber;
    std::string defaultFletsIsdnNumber;

    // The records of the entry being examined; released when it is done.
    std::unique_ptr<EntryBuffer> entryBuffer;
    std::unique_ptr<RASDIALPARAMSA> dialParamsBuffer;

    // Opened at the first confirmed change, so that a pass that changes
    // nothing leaves the last pass's record, and its undo, as they were.
    ChangeJournal journal{kMigrationJournal};
    bool journalOpened = false;
};
