#include "MigrationDriver.h"

#include "AccessPointChangeDialog.h"
#include "ChangeMessages.h"
#include "Cp932.h"
#include "EntryChanges.h"
#include "IsdnUserChangeDialog.h"
#include "IspSettings.h"
#include "MessageBox.h"
#include "RasLists.h"
#include "RasRecords.h"
#include "RemoteAccess.h"
#include "SetupLock.h"
#include "Text.h"

#include <cstdio>
#include <vector>

using resources::text;

namespace {

const char* checkingText() { return text("ダイヤルアップネットワークをチェックしています"); }
const char* changingText() { return text("設定を変更しています"); }

void tell(const char* message, UINT icon = MB_ICONINFORMATION) { ui::messageBox(message, icon | MB_OK); }

void tellCount(const char* format, int count, UINT icon = MB_ICONINFORMATION) {
    char message[512];
    std::snprintf(message, sizeof message, format, count);
    tell(message, icon);
}


}  // namespace

MigrationDriver::MigrationDriver() {
    IspSettings settings;
    oldDomain = settings.lookupDomain(DomainKind::Old);
    dialupDomain = settings.lookupDomain(DomainKind::Dialup);
    mobileDomain = settings.lookupDomain(DomainKind::Mobile);
    fletsIsdnDomain = settings.lookupDomain(DomainKind::FletsIsdn);
    defaultTelNumber = settings.lookupDefaultNumber(NumberKind::DefaultTel);
    defaultMobileNumber = settings.lookupDefaultNumber(NumberKind::DefaultMobile);
    defaultFletsIsdnNumber = settings.lookupDefaultNumber(NumberKind::DefaultFletsIsdn);

    auto window = std::make_unique<ProgressWindow>();
    // Without its window the pass goes on all the same, unseen.
    if (!window->create()) return;
    window->centreOnMainWindow();
    window->showText(checkingText());
    progressWindow = std::move(window);
}

MigrationDriver::~MigrationDriver() {
    if (progressWindow) progressWindow->destroyWindow();
}

void MigrationDriver::runMigration() {
    // Without the service there is nothing to look at, and the user is told
    // why rather than left with no word.
    if (!isBound(remoteAccess())) {
        tell(text("RASAPI32.DLL エラー"), MB_ICONWARNING);
        return;
    }
    const SetupLock lock;
    if (!lock.held()) {
        tellAnotherSetupRuns();
        return;
    }
    loadAccessPointTable("APGEN.csv", generalTable);
    loadAccessPointTable("APPHS.csv", phsTable);

    std::vector<std::string> names;
    // A phonebook that cannot be read is not an empty one.
    if (DWORD result = enumerateEntryNames(remoteAccess(), names); result != 0) {
        tell(changeFailureMessage(result).c_str(), MB_ICONWARNING);
        return;
    }
    if (names.empty()) {
        tell(text("ダイヤルアップネットワークが設定されていません"));
        return;
    }

    showProgress(checkingText());
    for (const std::string& name : names) {
        // The phonebook could not be read: what was said ends the pass.
        if (!examineEntry(name.c_str())) return hideProgress();
    }
    hideProgress();
    // The pass is over: its records need their passwords no longer.
    journal.close();

    if (foundCount == 0 && unofferedCount == 0) {
        tell(text("変更が必要なダイヤルアップネットワークはありません"));
    } else if (foundCount > 0 && changedCount == 0) {
        tellCount(text("%d個の古い設定を見つけましたが変更しませんでした"), foundCount);
    } else if (changedCount > 0) {
        tellCount(text("%d個の設定を変更しました"), changedCount);
    }
    if (unofferedCount > 0) {
        tellCount(text("プロバイダーの設定ファイル（ISP_INF.csv）が見つからないか読み込めないため、"
                       "%d個の古い設定を変更できませんでした"),
                  unofferedCount, MB_ICONWARNING);
    }
}

bool MigrationDriver::examineEntry(const char* entryName) {
    bool passwordStored = false;
    const Reading reading = readEntry(entryName, passwordStored);
    if (reading == Reading::Read) offerChange(entryName, passwordStored);
    // Nothing of this entry outlives its examination.
    entryBuffer.reset();
    dialParamsBuffer.reset();
    return reading != Reading::Failed;
}

MigrationDriver::Reading MigrationDriver::readEntry(const char* entryName, bool& passwordStored) {
    const RasFunctionTable& ras = remoteAccess();
    // An entry that went away since the names were listed is simply passed;
    // any other failure means the phonebook itself cannot be read.
    auto failed = [this](DWORD result) {
        if (result == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return Reading::Skipped;
        hideProgress();
        tell(changeFailureMessage(result).c_str(), MB_ICONWARNING);
        return Reading::Failed;
    };
    if (ras.RasGetEntryPropertiesA == nullptr || ras.RasGetEntryDialParamsA == nullptr) return failed(kRasNotBound);
    DWORD size = 0;
    DWORD result = ras.RasGetEntryPropertiesA(nullptr, entryName, nullptr, &size, nullptr, nullptr);
    if (result != ERROR_BUFFER_TOO_SMALL) return failed(result);
    entryBuffer = std::make_unique<EntryBuffer>(size);
    if ((result = ras.RasGetEntryPropertiesA(nullptr, entryName, &entryBuffer->entry(), &size, nullptr, nullptr)) != 0) {
        return failed(result);
    }
    // Only modem entries are migrated.
    if (cp932::compareAsciiNoCase(fieldText(entryBuffer->entry().szDeviceType), RASDT_Modem) != 0) {
        return Reading::Skipped;
    }

    dialParamsBuffer = std::make_unique<RASDIALPARAMSA>();
    dialParamsBuffer->dwSize = sizeof(RASDIALPARAMSA);
    BOOL hasPassword = FALSE;
    if (!copyToField(dialParamsBuffer->szEntryName, entryName)) return Reading::Skipped;
    if ((result = ras.RasGetEntryDialParamsA(nullptr, dialParamsBuffer.get(), &hasPassword)) != 0) {
        return failed(result);
    }
    passwordStored = hasPassword != FALSE;
    return Reading::Read;
}

void MigrationDriver::offerChange(const char* entryName, bool passwordStored) {
    const RASENTRYA& properties = entryBuffer->entry();
    EntryTexts entry;
    entry.userName = fieldText(dialParamsBuffer->szUserName);
    if (passwordStored) entry.savedPassword = fieldText(dialParamsBuffer->szPassword);
    entry.localNumber = fieldText(properties.szLocalPhoneNumber);
    entry.oldNumberText = entry.localNumber;
    if (properties.dwfOptions & RASEO_UseCountryAndAreaCodes) {
        entry.areaCode = fieldText(properties.szAreaCode);
        entry.oldNumberText = entry.areaCode + "-" + entry.localNumber;
    }
    entry.modemName = fieldText(properties.szDeviceName);

    // A change that cannot be made whole (no new number or domain in the
    // provider's settings) is not offered, and counted to be told.
    auto offer = [&](const NumberMatch& match, const std::string& newNumber, const std::string& newDomain) {
        if (newNumber.empty() || newDomain.empty()) {
            ++unofferedCount;
            return;
        }
        offerAccessPointChange(entryName, entry, match, newNumber, newDomain);
    };
    // A number in both tables is an ordinary line's.
    if (NumberMatch match = matchOldAccessPoint(generalTable, entry.areaCode, entry.localNumber); match.found) {
        offer(match, defaultTelNumber, dialupDomain);
        return;
    }
    if (NumberMatch match = matchOldAccessPoint(phsTable, entry.areaCode, entry.localNumber); match.found) {
        offer(match, defaultMobileNumber, mobileDomain);
        return;
    }
    // The same domain before and after: nothing to move.
    if (cp932::compareNoCaseMultiByte(fletsIsdnDomain, oldDomain) == 0) return;
    if (!matchIsdnAccessPoint(defaultFletsIsdnNumber, entry.areaCode, entry.localNumber)) return;
    std::string oldUserPart;
    if (!splitAtOldDomain(entry.userName, oldDomain, oldUserPart)) return;
    if (fletsIsdnDomain.empty()) {
        ++unofferedCount;
        return;
    }
    offerIsdnUserChange(entryName, entry, oldUserPart);
}

void MigrationDriver::offerAccessPointChange(const char* entryName, const EntryTexts& entry, const NumberMatch& match,
                                             const std::string& newAccessNumber, const std::string& newDomain) {
    std::string userPart = userPartOf(entry.userName);
    ++foundCount;
    AccessPointChangeDialog dialog;
    dialog.connectionName = entryName;
    dialog.oldNumber = entry.oldNumberText;
    dialog.newNumber = composeNumber(match, newAccessNumber);
    dialog.userName = userPart;
    dialog.domainLabel = newDomain;
    dialog.password = entry.savedPassword.value_or("");
    dialog.modemName = entry.modemName;
    dialog.usesAreaCodes = (entryBuffer->entry().dwfOptions & RASEO_UseCountryAndAreaCodes) != 0;

    hideProgress();
    if (dialog.doModal() == IDOK) {
        showProgress(changingText());
        // A field is taken from the dialog only while its box is ticked.
        std::string newUser = composeUserName(dialog.editUser ? dialog.userName : userPart, newDomain);
        writeChange(entryName, entry, newUser, dialog.editPassword ? dialog.password.c_str() : nullptr,
                    dialog.editModem ? dialog.modemName.c_str() : nullptr, dialog.newNumber.c_str());
    }
    showProgress(checkingText());
}

void MigrationDriver::offerIsdnUserChange(const char* entryName, const EntryTexts& entry,
                                          const std::string& oldUserPart) {
    ++foundCount;
    IsdnUserChangeDialog dialog;
    dialog.connectionName = entryName;
    dialog.phoneNumber = defaultFletsIsdnNumber;
    dialog.oldUserName = oldUserPart;
    dialog.oldDomainLabel = oldDomain;
    dialog.newUserName = oldUserPart;
    dialog.newDomainLabel = fletsIsdnDomain;
    dialog.password = entry.savedPassword.value_or("");
    dialog.modemName = entry.modemName;

    hideProgress();
    if (dialog.doModal() == IDOK) {
        showProgress(changingText());
        // The number stays: only the user name moves to the new domain.
        writeChange(entryName, entry, composeUserName(dialog.newUserName, fletsIsdnDomain),
                    dialog.editPassword ? dialog.password.c_str() : nullptr,
                    dialog.editModem ? dialog.modemName.c_str() : nullptr, nullptr);
    }
    showProgress(checkingText());
}

void MigrationDriver::writeChange(const char* entryName, const EntryTexts& entry, const std::string& newUser,
                                  const char* newPassword, const char* newModem, const char* newNumber) {
    const RasFunctionTable& ras = remoteAccess();
    auto refuse = [&](DWORD result) {
        hideProgress();
        tell(changeFailureMessage(result).c_str(), MB_ICONWARNING);
    };
    // Both records are made before anything is written: what does not fit
    // is refused with the entry untouched.
    RASDIALPARAMSA params = *dialParamsBuffer;
    BOOL removePassword = FALSE;
    const char* savedPassword = entry.savedPassword ? entry.savedPassword->c_str() : nullptr;
    EntryBuffer properties = *entryBuffer;
    bool propertiesChange = false;
    if (!updateDialParams(params, newUser.c_str(), newPassword, savedPassword, removePassword)) {
        return refuse(kErrorNumberDoesNotFit);
    }
    if (DWORD result = updateEntryProperties(properties.entry(), newNumber, newModem, true, propertiesChange)) {
        return refuse(result);
    }
    if (ras.RasSetEntryDialParamsA == nullptr || ras.RasSetEntryPropertiesA == nullptr) return refuse(kRasNotBound);
    // Credentials are not changed under a connection the service cannot
    // account for.
    if (DWORD result = queryActiveConnections(ras); result != 0) {
        hideProgress();
        char message[512];
        std::snprintf(message, sizeof message,
                      text("ダイヤルアップネットワーク設定の変更に失敗しました\n\n"
                           "接続中のダイヤルアップネットワークを確認できませんでした（エラーコード：%d）。"),
                      static_cast<int>(result));
        return tell(message, MB_ICONWARNING);
    }
    if (!journalOpened && !(journalOpened = journal.open(true))) return refuse(kErrorJournalUnwritable);

    PlannedChange update;
    update.entryName = entryName;
    update.aim = [&](EntryState state) {
        if (propertiesChange) state.properties = propertiesBytes(properties.entry(), properties.size());
        state.userName = fieldText(params.szUserName);
        state.password.reset();
        if (!removePassword) state.password = fieldText(params.szPassword);
        return state;
    };
    update.write = [&]() -> DWORD {
        if (DWORD result = ras.RasSetEntryDialParamsA(nullptr, &params, removePassword)) return result;
        if (!propertiesChange) return 0;
        return ras.RasSetEntryPropertiesA(nullptr, entryName, &properties.entry(), properties.size(), nullptr, 0);
    };
    const ChangeResult change = changeEntry(ras, journal, update);
    if (change.error == 0) {
        ++changedCount;
        return;
    }
    refuse(change.error);
    if (change.restoreError != 0) tellNotRestored(entryName, change.restoreError);
}

void MigrationDriver::showProgress(const char* text) {
    if (!progressWindow) return;
    progressWindow->showText(text);
    progressWindow->show(true);
}

void MigrationDriver::hideProgress() {
    if (progressWindow) progressWindow->hide();
}
