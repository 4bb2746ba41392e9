#include "MigrationDriver.h"

#include "AccessPointChangeDialog.h"
#include "Cp932.h"
#include "IsdnUserChangeDialog.h"
#include "IspSettings.h"
#include "MessageBox.h"
#include "RasLists.h"
#include "RasRecords.h"
#include "RemoteAccess.h"
#include "Text.h"

#include <cstdio>
#include <vector>

using resources::text;

namespace {

const char* checkingText() { return text("ダイヤルアップネットワークをチェックしています"); }
const char* changingText() { return text("設定を変更しています"); }

void tell(const char* message) { ui::messageBox(message, MB_ICONINFORMATION | MB_OK); }

void tellCount(const char* format, int count) {
    char message[256];
    std::snprintf(message, sizeof message, format, count);
    tell(message);
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
    loadAccessPointTable("APGEN.csv", generalTable);
    loadAccessPointTable("APPHS.csv", phsTable);

    std::vector<std::string> names;
    if (enumerateEntryNames(remoteAccess(), names) != 0) return;
    if (names.empty()) {
        tell(text("ダイヤルアップネットワークが設定されていません"));
        return;
    }

    showProgress(checkingText());
    for (const std::string& name : names) examineEntry(name.c_str());
    hideProgress();

    if (foundCount == 0) {
        tell(text("変更が必要なダイヤルアップネットワークはありません"));
    } else if (changedCount == 0) {
        tellCount(text("%d個の古い設定を見つけましたが変更しませんでした"), foundCount);
    } else {
        tellCount(text("%d個の設定を変更しました"), changedCount);
    }
}

void MigrationDriver::examineEntry(const char* entryName) {
    bool passwordStored = false;
    if (readEntry(entryName, passwordStored)) offerChange(entryName, passwordStored);
    // Nothing of this entry outlives its examination.
    entryBuffer.reset();
    dialParamsBuffer.reset();
}

bool MigrationDriver::readEntry(const char* entryName, bool& passwordStored) {
    const RasFunctionTable& ras = remoteAccess();
    if (ras.RasGetEntryPropertiesA == nullptr || ras.RasGetEntryDialParamsA == nullptr) return false;
    DWORD size = 0;
    if (ras.RasGetEntryPropertiesA(nullptr, entryName, nullptr, &size, nullptr, nullptr) != ERROR_BUFFER_TOO_SMALL) {
        return false;
    }
    entryBuffer = std::make_unique<EntryBuffer>(size);
    // A failed second read leaves no entry to look at.
    if (ras.RasGetEntryPropertiesA(nullptr, entryName, &entryBuffer->entry(), &size, nullptr, nullptr) != 0) {
        return false;
    }
    // Only modem entries are migrated.
    if (cp932::compareAsciiNoCase(fieldText(entryBuffer->entry().szDeviceType), RASDT_Modem) != 0) return false;

    dialParamsBuffer = std::make_unique<RASDIALPARAMSA>();
    dialParamsBuffer->dwSize = sizeof(RASDIALPARAMSA);
    BOOL hasPassword = FALSE;
    if (!copyToField(dialParamsBuffer->szEntryName, entryName) ||
        ras.RasGetEntryDialParamsA(nullptr, dialParamsBuffer.get(), &hasPassword) != 0) {
        return false;
    }
    passwordStored = hasPassword != FALSE;
    return true;
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

    // A number in both tables is an ordinary line's.
    if (NumberMatch match = matchOldAccessPoint(generalTable, entry.areaCode, entry.localNumber); match.found) {
        offerAccessPointChange(entryName, entry, match, defaultTelNumber, dialupDomain);
        return;
    }
    if (NumberMatch match = matchOldAccessPoint(phsTable, entry.areaCode, entry.localNumber); match.found) {
        offerAccessPointChange(entryName, entry, match, defaultMobileNumber, mobileDomain);
        return;
    }
    // The same domain before and after: nothing to move.
    if (cp932::compareNoCaseMultiByte(fletsIsdnDomain, oldDomain) == 0) return;
    if (!matchIsdnAccessPoint(defaultFletsIsdnNumber, entry.areaCode, entry.localNumber)) return;
    std::string oldUserPart;
    if (!splitAtOldDomain(entry.userName, oldDomain, oldUserPart)) return;
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
    const char* savedPassword = entry.savedPassword ? entry.savedPassword->c_str() : nullptr;
    bool dialParamsWritten = updateDialParams(ras, *dialParamsBuffer, newUser.c_str(), newPassword, savedPassword) != 0;
    bool propertiesWritten = updateEntryProperties(ras, entryName, *entryBuffer, newNumber, newModem, true) != 0;
    if (dialParamsWritten && propertiesWritten) ++changedCount;
}

void MigrationDriver::showProgress(const char* text) {
    if (!progressWindow) return;
    progressWindow->showText(text);
    progressWindow->show(true);
}

void MigrationDriver::hideProgress() {
    if (progressWindow) progressWindow->hide();
}
