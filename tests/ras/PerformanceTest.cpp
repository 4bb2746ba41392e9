// A phonebook of 10,000 entries kept between calls still answers what another
// process changed: after a write of its own, and after another process
// appended a change to the journal. How fast it answers is measured by the
// remote-access benchmark (make bench), not asserted here.
#include "Phonebook.h"
#include "RasLibrary.h"
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

using namespace rastest;

TEST(RasKeptPhonebook, TenThousandEntriesAnswerEveryChangeWhoeverMadeIt) {
    testsupport::TempSystemRoot root;
    standin::ras::Phonebook phonebook;
    for (int i = 0; i < 10000; ++i) {
        phonebook.put(sjis("接続") + std::to_string(i), {modemEntry("0570-" + std::to_string(i)), {}});
    }
    testsupport::writeFile(root.file("phonebook.txt"), standin::ras::serializePhonebook(phonebook));

    const std::string name = sjis("接続") + "9999";
    RASENTRYA entry{};
    auto get = [&] {
        entry.dwSize = sizeof entry;
        DWORD size = sizeof entry;
        EXPECT_EQ(ras().RasGetEntryPropertiesA(nullptr, name.c_str(), &entry, &size, nullptr, nullptr),
                  ERROR_SUCCESS);
        return std::string(entry.szLocalPhoneNumber);
    };
    EXPECT_EQ(get(), "0570-9999");
    EXPECT_EQ(get(), "0570-9999");
    EXPECT_EQ(setEntry(name, modemEntry("03-1234")), ERROR_SUCCESS);
    EXPECT_EQ(get(), "03-1234");
    ASSERT_EQ(testsupport::runProcess({KIVORA_BIN_DIR "/kivora-sys", "put", "接続9999", "szLocalPhoneNumber=03-5678"})
                  .status,
              0);
    EXPECT_EQ(get(), "03-5678");
}
