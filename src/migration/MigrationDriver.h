// The access-point migration: walks every entry of the default phonebook,
// finds those that still dial a retired access point (or, for ISDN, still
// carry the retired user-name domain), asks the user to confirm each change
// and rewrites the confirmed entries. One driver runs one pass.
#pragma once

#include "AccessPointTable.h"
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
    // confirmed. An entry that cannot be read, or is not a modem entry, is
    // left alone.
    void examineEntry(const char* entryName);

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

    // Reads the entry's properties and dial parameters into the buffers;
    // false when it cannot be read or is not a modem entry.
    bool readEntry(const char* entryName, bool& passwordStored);
    // Decides which change, if any, the entry read is offered.
    void offerChange(const char* entryName, bool passwordStored);
    void offerAccessPointChange(const char* entryName, const EntryTexts& entry, const NumberMatch& match,
                                const std::string& newAccessNumber, const std::string& newDomain);
    void offerIsdnUserChange(const char* entryName, const EntryTexts& entry, const std::string& oldUserPart);
    // Writes a confirmed change (a null password, modem or number stays as
    // it was); counts the entry when both its dial parameters and its
    // properties were written.
    void writeChange(const char* entryName, const EntryTexts& entry, const std::string& newUser,
                     const char* newPassword, const char* newModem, const char* newNumber);
    void showProgress(const char* text);
    void hideProgress();

    AccessPointTable generalTable;
    AccessPointTable phsTable;
    std::unique_ptr<ProgressWindow> progressWindow;
    // Entries offered to the user, and entries really rewritten.
    int foundCount = 0;
    int changedCount = 0;

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
};
