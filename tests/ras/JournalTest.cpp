// The phonebook's journal: what a killed writer leaves (a record cut short,
// a journal of a file since written whole) is ignored, folding the journal
// in keeps every entry in its place, a kept reader sees another process's
// appends, and damage inside the journal is reported, never rewritten.
#include "RemoteAccessStore.h"
#include "StoreFiles.h"
#include "SystemRoot.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace standin::ras;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

StoredEntry entry(const std::string& number) {
    StoredEntry stored = newEntry();
    std::strcpy(stored.properties.szLocalPhoneNumber, number.c_str());
    return stored;
}

// Each entry's name and number, in phonebook order.
std::vector<std::string> contents(const Phonebook& phonebook) {
    std::vector<std::string> result;
    for (const auto& item : phonebook.items()) {
        result.push_back(item.name + "=" + item.record.properties.szLocalPhoneNumber);
    }
    return result;
}

// The phonebook as a reader that kept nothing finds it.
std::vector<std::string> onDisk() {
    PhonebookFile fresh(phonebookFormat());
    Status status = fresh.refresh();
    EXPECT_TRUE(status.ok()) << status.detail;
    return contents(fresh.model());
}

class RasJournal : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;
    PhonebookFile writer{phonebookFormat()};

    std::string journal() const { return root.file(kPhonebookJournal); }
    // As another program would put it there: a new file renamed into place.
    void replaceJournal(const std::string& bytes) const {
        writeFile(journal() + ".new", bytes);
        ASSERT_EQ(std::rename((journal() + ".new").c_str(), journal().c_str()), 0);
    }
    std::string phonebook() const { return root.file(kPhonebookFile); }

    void put(const std::string& name, const std::string& number) {
        standin::RootLock lock;
        ASSERT_TRUE(writer.refresh().ok());
        Status status = writer.put(name, entry(number));
        ASSERT_TRUE(status.ok()) << status.detail;
    }
    void remove(const std::string& name) {
        standin::RootLock lock;
        ASSERT_TRUE(writer.refresh().ok());
        Status status = writer.remove(name);
        ASSERT_TRUE(status.ok()) << status.detail;
    }
};

TEST_F(RasJournal, ChangesAfterTheFirstAreAppendedAndARecordCutShortIsIgnoredThenCutOff) {
    put("Alpha", "1");  // no phonebook yet: written whole
    ASSERT_TRUE(std::filesystem::exists(phonebook()));
    EXPECT_FALSE(std::filesystem::exists(journal()));
    put("Beta", "2");
    const std::string base = readFile(phonebook());
    const std::string appended = readFile(journal());
    ASSERT_NE(appended.find("[Beta]"), std::string::npos);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Alpha=1", "Beta=2"}));

    // Every way a killed writer can leave its record: cut inside the record
    // line, right after it, and inside the record's text.
    const std::string record = journalPut(formatEntry("Gamma", entry("3")));
    for (size_t cut : {size_t{1}, record.find('\n'), record.find('\n') + 1, record.size() - 1}) {
        replaceJournal(appended + record.substr(0, cut));
        PhonebookFile fresh(phonebookFormat());
        ASSERT_TRUE(fresh.refresh().ok()) << "cut at " << cut;
        EXPECT_EQ(contents(fresh.model()), (std::vector<std::string>{"Alpha=1", "Beta=2"})) << cut;
        EXPECT_TRUE(fresh.endsCutShort());
    }

    // The next change cuts the half record off before it appends its own.
    put("Delta", "4");
    EXPECT_EQ(readFile(journal()), appended + journalPut(formatEntry("Delta", entry("4"))));
    EXPECT_EQ(readFile(phonebook()), base);
    PhonebookFile fresh(phonebookFormat());
    ASSERT_TRUE(fresh.refresh().ok());
    EXPECT_FALSE(fresh.endsCutShort());
    EXPECT_EQ(contents(fresh.model()), (std::vector<std::string>{"Alpha=1", "Beta=2", "Delta=4"}));
}

TEST_F(RasJournal, FoldingInKeepsOrderAndContentAndALeftoverJournalIsNeverAppliedAgain) {
    put("Alpha", "0");
    put("Beta", "0");
    put("Gamma", "0");
    remove("Beta");
    put("ALPHA", "1");  // in Alpha's place, under the new spelling
    put("Beta", "1");   // back, at the end
    ASSERT_TRUE(std::filesystem::exists(journal()));

    // Enough changes for the journal to outgrow the phonebook and its floor.
    Phonebook expected;
    expected.put("ALPHA", entry("1"));
    expected.put("Gamma", entry("0"));
    expected.put("Beta", entry("1"));
    // The journal as the change that folds it in finds it, kept by a second
    // link.
    const std::string kept = root.file("kept.journal");
    int changes = 0;
    for (; std::filesystem::exists(journal()); ++changes) {
        std::filesystem::remove(kept);
        std::filesystem::create_hard_link(journal(), kept);
        const std::string name = "Filler" + std::to_string(changes % 7);
        const std::string number = std::to_string(changes);
        put(name, number);
        expected.put(name, entry(number));
    }
    EXPECT_GT(changes, 100);
    remove("Gamma");
    expected.remove("Gamma");
    put("gamma", "2");
    expected.put("gamma", entry("2"));

    EXPECT_EQ(contents(writer.model()), contents(expected));
    EXPECT_EQ(onDisk(), contents(expected));
    // The file written whole holds everything up to that change.
    Phonebook whole;
    std::string reason;
    ASSERT_TRUE(parsePhonebook(readFile(phonebook()), whole, reason)) << reason;
    EXPECT_EQ(whole.items().size(), 10u);

    // A writer killed after it wrote the file whole but before it removed the
    // journal leaves the old journal. Applied again it would move Beta to the
    // end; it names the old file and is ignored, and the next change starts
    // a journal of its own.
    std::filesystem::rename(kept, journal());
    EXPECT_NE(readFile(journal()).find("\nwhole "), std::string::npos) << "it names the file written whole";
    EXPECT_EQ(onDisk(), contents(whole));
    put("Omega", "9");
    whole.put("Omega", entry("9"));
    EXPECT_EQ(onDisk(), contents(whole));
    EXPECT_EQ(readFile(journal()).find("[Beta]"), std::string::npos);
}

TEST_F(RasJournal, AKeptReaderSeesAnotherProcesssAppendsAndFoldIn) {
    put("Alpha", "1");
    put("Beta", "1");
    PhonebookFile reader(phonebookFormat());
    ASSERT_TRUE(reader.refresh().ok());
    ASSERT_EQ(contents(reader.model()), (std::vector<std::string>{"Alpha=1", "Beta=1"}));

    // Numbers padded to a hundred digits, so that fewer changes fill the journal.
    auto number = [](int n) { return std::string(97, '0') + std::to_string(n + 100); };
    auto inAnotherProcess = [&number](int changes) {
        pid_t child = fork();
        if (child == 0) {
            PhonebookFile other(phonebookFormat());
            for (int i = 0; i < changes; ++i) {
                standin::RootLock lock;
                if (!other.refresh().ok() || !other.put("Alpha", entry(number(i))).ok()) _exit(1);
                if (!other.remove("Beta").ok() || !other.put("Beta", entry(number(i))).ok()) _exit(1);
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };

    inAnotherProcess(1);
    ASSERT_TRUE(reader.refresh().ok());
    EXPECT_EQ(contents(reader.model()), (std::vector<std::string>{"Alpha=" + number(0), "Beta=" + number(0)}));

    // Enough for the other process to fold the journal in.
    struct stat was {};
    ASSERT_EQ(stat(phonebook().c_str(), &was), 0);
    inAnotherProcess(200);
    struct stat now {};
    ASSERT_EQ(stat(phonebook().c_str(), &now), 0);
    EXPECT_NE(now.st_ino, was.st_ino) << "the phonebook was written whole";
    ASSERT_TRUE(reader.refresh().ok());
    EXPECT_EQ(contents(reader.model()),
              (std::vector<std::string>{"Alpha=" + number(199), "Beta=" + number(199)}));
    EXPECT_EQ(onDisk(), contents(reader.model()));
}

TEST_F(RasJournal, DamageInsideTheJournalIsReportedAndNothingIsRewritten) {
    put("Alpha", "1");
    put("Beta", "2");
    put("Gamma", "3");
    const std::string base = readFile(phonebook());
    const std::string good = readFile(journal());
    const size_t beta = good.find("szLocalPhoneNumber=2");
    ASSERT_NE(beta, std::string::npos);

    struct Case {
        std::string journal;
        std::string reason;
    };
    std::string flipped = good;
    flipped[beta + std::strlen("szLocalPhoneNumber=")] = '7';
    const std::string unknownField = "[Delta]\ndwNoSuchField=1\n";
    const std::string header = good.substr(0, good.find("put "));
    const std::vector<Case> cases = {
        {flipped, "line 4: the record's checksum does not match its text"},
        {good + "garbage\n" + journalPut(formatEntry("Delta", entry("4"))),
         "expected a record line, put or remove LENGTH CHECKSUM"},
        {good + journalPut(unknownField), "line 16: entry [Delta] has an unknown field dwNoSuchField"},
        {good + journalRemove("[Nobody]\n"), "the removal of [Nobody] names no record"},
        {"base 12 0123456789abcdef\n" + good.substr(header.size()), ""},  // another file's journal: ignored
        // The journal of a longer file, which was written whole from it into this one: ignored.
        {"base 9999 0123456789abcdef\n" + journalWhole(base.size(), journalChecksum(base)), ""},
        {"# only a comment\n", "line 2: the journal ends before its base line"},
    };
    for (const Case& test : cases) {
        replaceJournal(test.journal);
        PhonebookFile fresh(phonebookFormat());
        Status status = fresh.refresh();
        if (test.reason.empty()) {
            EXPECT_TRUE(status.ok()) << status.detail;
            EXPECT_EQ(contents(fresh.model()), (std::vector<std::string>{"Alpha=1"}));
            continue;
        }
        EXPECT_EQ(status.code, static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
        EXPECT_NE(status.detail.find("journal of the phonebook " + journal() + " is damaged"), std::string::npos)
            << status.detail;
        EXPECT_NE(status.detail.find(test.reason), std::string::npos) << status.detail;

        // A writer refuses and leaves both files as they are.
        standin::RootLock lock;
        EXPECT_EQ(writer.refresh().code, static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
        EXPECT_EQ(readFile(journal()), test.journal);
        EXPECT_EQ(readFile(phonebook()), base);
    }
}

}  // namespace
