// A damaged phonebook, credentials file or journal, as kivora-sys meets it:
// the command fails naming the file, and neither it nor a change leaves a
// byte of any store file different.
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>

namespace {

using testsupport::readFile;
using testsupport::runProcess;
using testsupport::writeFile;

class StoreDamage : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;

    testsupport::ProcessResult sys(std::vector<std::string> args) const {
        args.insert(args.begin(), {KIVORA_BIN_DIR "/kivora-sys", "--root", root.path()});
        return runProcess(args);
    }

    // Every file of the root with its bytes.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& file : std::filesystem::directory_iterator(root.path())) {
            files[file.path().filename()] = readFile(file.path());
        }
        return files;
    }
};

std::string withoutLastLine(const std::string& text) {
    return text.substr(0, text.rfind('\n', text.size() - 2) + 1);
}

}  // namespace

TEST_F(StoreDamage, EveryDamagedStoreFileIsNamedAndNothingIsWritten) {
    // Alpha is in each file written whole, Beta in each journal.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"put", "Alpha", "szLocalPhoneNumber=111", "szDeviceName=m1"},
                                               {"credentials", "Alpha", "taro", "taro-password"},
                                               {"put", "Beta", "szLocalPhoneNumber=222"},
                                               {"credentials", "Beta", "jiro", "jiro-password"}}) {
        ASSERT_EQ(sys(args).status, 0);
    }
    const std::map<std::string, std::string> good = snapshot();
    ASSERT_TRUE(good.count("phonebook.journal") && good.count("credentials.journal"));
    std::string noise(300, '\0');
    std::mt19937 random(11);
    for (char& c : noise) c = static_cast<char>(random());

    struct Case {
        const char* what;
        const char* file;
        std::string reason;
        std::function<std::string(const std::string&)> damage;
    };
    const std::string cutShort = "the last line has no line break";
    const std::string noBase = "the journal ends before its base line";
    const std::string shorter = "where its journal";
    const std::string twice = "is there twice";
    const Case cases[] = {
        {"cut short", "phonebook.txt", cutShort, [](const std::string& t) { return t.substr(0, t.size() - 1); }},
        {"cut short", "credentials.txt", cutShort, [](const std::string& t) { return t.substr(0, t.size() - 1); }},
        {"cut in its base line", "phonebook.journal", noBase, [](const std::string& t) { return t.substr(0, t.find("base ") + 8); }},
        {"cut in its base line", "credentials.journal", noBase, [](const std::string& t) { return t.substr(0, t.find("base ") + 8); }},
        {"a line shorter than its journal expects", "phonebook.txt", shorter, withoutLastLine},
        {"a line shorter than its journal expects", "credentials.txt", shorter, withoutLastLine},
        {"random bytes", "phonebook.txt", "", [&](const std::string&) { return noise; }},
        {"random bytes", "credentials.txt", "", [&](const std::string&) { return noise; }},
        {"random bytes", "phonebook.journal", "", [&](const std::string&) { return noise; }},
        {"random bytes", "credentials.journal", "", [&](const std::string&) { return noise; }},
        {"a name twice", "phonebook.txt", twice, [](const std::string& t) { return t + "[ALPHA]\n"; }},
        {"a name twice", "credentials.txt", twice, [](const std::string& t) { return t + "[alpha]\nszUserName=x\n"; }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.file) + ", " + test.what);
        for (const auto& [name, bytes] : good) writeFile(root.file(name), bytes);
        writeFile(root.file(test.file), test.damage(good.at(test.file)));
        const std::map<std::string, std::string> damaged = snapshot();

        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"show", "Alpha"}, {"credentials", "Alpha", "hanako", "x"}, {"delete", "Alpha"}}) {
            testsupport::ProcessResult result = sys(args);
            EXPECT_EQ(result.status, 1) << args[0];
            EXPECT_NE(result.err.find(root.file(test.file) + " is damaged"), std::string::npos)
                << args[0] << ": " << result.err;
            EXPECT_NE(result.err.find(test.reason), std::string::npos) << args[0] << ": " << result.err;
        }
        EXPECT_EQ(snapshot(), damaged);
    }
}
