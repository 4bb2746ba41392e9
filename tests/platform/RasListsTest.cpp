// The list queries both jobs share, against the real remote-access service.
#include "Cp932.h"
#include "RasLibrary.h"
#include "RasLists.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class RasLists : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;

    static void sys(const std::string& arguments) {
        std::string command = std::string(KIVORA_BIN_DIR "/kivora-sys ") + arguments + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
};

TEST_F(RasLists, EntryNamesComeInPhonebookOrderWhateverTheirNumber) {
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(enumerateEntryNames(rastest::ras(), names), 0u);
    EXPECT_TRUE(names.empty());

    for (const char* name : {"b", "a", "c"}) ASSERT_EQ(rastest::setEntry(name, rastest::modemEntry("1")), 0u);
    EXPECT_EQ(enumerateEntryNames(rastest::ras(), names), 0u);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "c"}));
}

TEST_F(RasLists, OnlyModemsAreListedInAnyLetterCase) {
    sys("device-add MODEM \"Loud Modem\"");
    std::vector<std::string> modems;
    ASSERT_EQ(enumerateModemNames(rastest::ras(), modems), 0u);
    ASSERT_EQ(modems.size(), 3u);  // two seeded modems and the new one; the ISDN adapter is left out
    EXPECT_EQ(modems.back(), "Loud Modem");

    for (const std::string& name : modems) sys("device-remove \"" + cp932::toUtf8(name) + "\"");
    EXPECT_EQ(enumerateModemNames(rastest::ras(), modems), 0u);
    EXPECT_TRUE(modems.empty());
}

TEST_F(RasLists, ConnectionQueryRetriesWithTheSizeTheServiceAsksFor) {
    EXPECT_EQ(queryActiveConnections(rastest::ras()), 0u);
    for (const char* name : {"one", "two"}) ASSERT_EQ(rastest::setEntry(name, rastest::modemEntry("1")), 0u);
    sys("connect one");
    sys("connect two");
    EXPECT_EQ(queryActiveConnections(rastest::ras()), 0u);
    sys("fault RasEnumConnectionsA 621");
    EXPECT_EQ(queryActiveConnections(rastest::ras()), 621u);
}

TEST_F(RasLists, FailuresAreReportedAndAnUnboundTableIsNeverCalled) {
    sys("fault RasEnumEntriesA 621");
    sys("fault RasEnumDevicesA 610");
    std::vector<std::string> list{"stale"};
    EXPECT_EQ(enumerateEntryNames(rastest::ras(), list), 621u);
    EXPECT_TRUE(list.empty());
    list = {"stale"};
    EXPECT_EQ(enumerateModemNames(rastest::ras(), list), 610u);
    EXPECT_TRUE(list.empty());

    RasFunctionTable unbound;
    EXPECT_EQ(enumerateEntryNames(unbound, list), kRasNotBound);
    EXPECT_EQ(enumerateModemNames(unbound, list), kRasNotBound);
    EXPECT_EQ(queryActiveConnections(unbound), kRasNotBound);
}

}  // namespace
