// The store's text files: any bytes round-trip through the escaping, and
// malformed files are refused with the line and what is wrong.
#include "Cp932.h"
#include "Devices.h"
#include "Faults.h"
#include "Phonebook.h"
#include "SectionFile.h"
#include "TempSystemRoot.h"
#include "TextEscaping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

using namespace standin::ras;

TEST(StoreFiles, EscapingRoundTripsAnyBytesOnOneLine) {
    std::mt19937 random(7);
    std::vector<std::string> samples = {
        cp932::fromUtf8("表ソ能ポ"),  // 0x5C and 0x7C trail bytes stay raw
        "C:\\script\\dial.scp",
        "\x81",     // a lead byte at the end
        "\x81\n",   // a lead byte before a newline
        "\x95\\n",  // a double-byte character whose trail byte is a backslash, then n
        "\x80\xA0\xFD\xFE\xFF\x7F\x01\t\r\n",
    };
    for (int i = 0; i < 500; ++i) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) c = static_cast<char>(1 + random() % 255);
        samples.push_back(bytes);
    }
    for (const std::string& bytes : samples) {
        std::string escaped = escapeText(bytes);
        EXPECT_TRUE(std::none_of(escaped.begin(), escaped.end(), [](char c) {
            auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        })) << escaped;
        std::string back;
        ASSERT_TRUE(unescapeText(escaped, back));
        EXPECT_EQ(back, bytes);
    }
    const std::string text = cp932::fromUtf8("表示ソフト｜ﾊﾝｶｸ");
    EXPECT_EQ(escapeText(text), text) << "CP932 text stays as it is";

    std::string unused;
    for (const char* bad : {"\\", "\\q", "\\x4", "\\xZZ", "\\x00", "raw\r"}) {
        EXPECT_FALSE(unescapeText(bad, unused)) << bad;
    }
}

TEST(StoreFiles, PhonebookKeepsAwkwardNamesAndFieldsOnReload) {
    Phonebook phonebook;
    StoredEntry entry = newEntry();
    std::strcpy(entry.properties.szScript, "C:\\a\tb\nc");
    for (const std::string& name : {std::string("]"), std::string("[x]"), std::string("#not a comment"),
                                    cp932::fromUtf8("ソ]"), std::string(" padded ")}) {
        phonebook.put(name, entry);
    }
    Phonebook reloaded;
    std::string reason;
    ASSERT_TRUE(parsePhonebook(serializePhonebook(phonebook), reloaded, reason)) << reason;
    ASSERT_EQ(reloaded.items().size(), phonebook.items().size());
    for (size_t i = 0; i < phonebook.items().size(); ++i) {
        EXPECT_EQ(reloaded.items()[i].name, phonebook.items()[i].name);
        EXPECT_EQ(std::memcmp(&reloaded.items()[i].record.properties, &entry.properties, sizeof entry.properties), 0);
    }
}

// Records keep their text between saves: a stale one would write a change
// back as it was before.
TEST(StoreFiles, EveryChangeReachesTheNextSaveOfAKeptPhonebook) {
    auto entry = [](const char* number) {
        StoredEntry stored = newEntry();
        std::strcpy(stored.properties.szLocalPhoneNumber, number);
        return stored;
    };
    Phonebook kept;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) kept.put(name, entry("03-1111"));
    serializePhonebook(kept);

    kept.put("Beta", entry("03-2222"));
    kept.put("GAMMA", entry("03-3333"));  // renamed too: the name is the one given last
    kept.remove("Alpha");
    kept.put("Delta", entry("03-4444"));

    Phonebook fresh;
    fresh.put("Beta", entry("03-2222"));
    fresh.put("GAMMA", entry("03-3333"));
    fresh.put("Delta", entry("03-4444"));
    EXPECT_EQ(serializePhonebook(kept), serializePhonebook(fresh));
}

// Each file of the corpus starts with "# expect: TEXT", TEXT being part of
// the reason the phonebook must be refused with.
TEST(StoreFiles, MalformedPhonebooksAreRefusedWithTheirReason) {
    int files = 0;
    for (const auto& file : std::filesystem::directory_iterator(KIVORA_PHONEBOOK_CORPUS)) {
        std::string content = testsupport::readFile(file.path().string());
        const std::string marker = "# expect: ";
        ASSERT_EQ(content.rfind(marker, 0), 0u) << file.path();
        std::string expected = content.substr(marker.size(), content.find('\n') - marker.size());
        Phonebook phonebook;
        std::string reason;
        EXPECT_FALSE(parsePhonebook(content, phonebook, reason)) << file.path();
        EXPECT_NE(reason.find(expected), std::string::npos) << file.path() << ": " << reason;
        ++files;
    }
    EXPECT_GE(files, 10);
}

TEST(StoreFiles, HugeRecordsAreReadAndStillRefuseAFieldGivenTwice) {
    // Every field was once compared with every earlier one of its record:
    // 200,000 fields took 54 s to refuse (a test that takes a minute again
    // says so; no clock is asserted here).
    std::string content = "[e]\n";
    for (int i = 0; i < 200000; ++i) content += "k" + std::to_string(i) + "=1\n";
    std::vector<Section> sections;
    std::string reason;
    ASSERT_TRUE(parseSections(content, sections, reason)) << reason;
    EXPECT_EQ(sections.at(0).values.size(), 200000u);
    // A field given again far from its first line, and again in the next record.
    EXPECT_FALSE(parseSections(content + "k100000=2\n", sections, reason));
    EXPECT_EQ(reason, "line 200002: field k100000 is given twice (first on line 100002)");
    EXPECT_TRUE(parseSections(content + "[f]\nk100000=2\n", sections, reason)) << reason;
}

TEST(StoreFiles, DeviceAndFaultListsRefuseWhatTheyCannotHold) {
    std::vector<Device> devices;
    std::string reason;
    EXPECT_FALSE(parseDevices("modem\n", devices, reason));
    EXPECT_FALSE(parseDevices("modem\tA\nisdn\ta\n", devices, reason))
        << "names compare without regard to case";
    EXPECT_FALSE(parseDevices("averyveryverylongtype\tA\n", devices, reason));
    EXPECT_TRUE(checkDevice({"modem", std::string(128, 'm')}).ok());
    EXPECT_FALSE(checkDevice({"modem", std::string(129, 'm')}).ok());
    EXPECT_FALSE(checkDevice({"modem", "line\nbreak"}).ok());

    std::vector<Fault> faults;
    EXPECT_FALSE(parseFaults("RasNoSuchA\t5\n", faults, reason));
    EXPECT_FALSE(parseFaults("RasEnumEntriesA\t0\n", faults, reason));
    EXPECT_FALSE(parseFaults("RasEnumEntriesA\t5\ttimes=0\n", faults, reason));
    ASSERT_TRUE(parseFaults("RasDeleteEntryA\t5\nRasDeleteEntryA\t6\tentry=A\ttimes=1\n", faults, reason))
        << reason;
    EXPECT_EQ(matchingFault(faults, "RasDeleteEntryA", "a")->code, 6u) << "a fault for the entry comes first";
    EXPECT_EQ(matchingFault(faults, "RasDeleteEntryA", "b")->code, 5u);
    EXPECT_EQ(matchingFault(faults, "RasEnumEntriesA", ""), nullptr);
    std::vector<Fault> reloaded;
    ASSERT_TRUE(parseFaults(serializeFaults(faults), reloaded, reason)) << reason;
    EXPECT_EQ(reloaded.size(), 2u);
    EXPECT_EQ(reloaded[1].entry, "A");
    EXPECT_EQ(reloaded[1].times, 1u);
}
