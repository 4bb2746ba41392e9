// The readers as the program uses them: files beside the executable, found
// through the program directory and nowhere else.
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using testsupport::TempDir;
using testsupport::writeFile;

namespace fs = std::filesystem;

namespace {

// A copy of the probe program, named "p", in a scratch directory; with a
// length given, in a nested directory whose path is that long.
class ProgramDirectory {
public:
    explicit ProgramDirectory(std::size_t directoryLength = 0) : directory_(root_.path()) {
        // Components of at most 100 bytes, well within the file system's limit.
        while (directory_.size() + 1 < directoryLength) {
            std::size_t remaining = directoryLength - directory_.size() - 1;
            // Never leave a single byte over: it could not become a component.
            std::size_t component = remaining <= 100 ? remaining : (remaining == 101 ? 99 : 100);
            directory_ += "/" + std::string(component, 'd');
        }
        fs::create_directories(directory_);
        program_ = directory_ + "/p";
        fs::copy_file(PROVIDERDATA_PROBE, program_);
    }
    std::string file(const std::string& name) const { return directory_ + "/" + name; }
    const std::string& root() const { return root_.path(); }

    // The probe's output, run from `workingDirectory` (the root by default).
    std::string run(const std::string& arguments, const std::string& workingDirectory = "") const {
        std::string command = "cd '" + (workingDirectory.empty() ? root_.path() : workingDirectory) + "' && '" +
                              program_ + "' " + arguments;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe) return "popen failed";
        std::string output;
        char chunk[256];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0) output.append(chunk, n);
        return output;
    }

private:
    TempDir root_;
    std::string directory_;
    std::string program_;
};

void writeAllFiles(const ProgramDirectory& program) {
    writeFile(program.file("ISP_INF.csv"),
              "DialupDomain,@dial\r\nDefaultTelNumber,0570-1\r\nDefaultEntryName,Net\r\n"
              "SetDnsIpAddress,TRUE\r\nDns1,10.0.0.1\r\n");
    writeFile(program.file("APGEN.csv"), "Tokyo,03-123-456\r\n");
    writeFile(program.file("CTMENU.csv"), "1,Dial-up,@d,0123\r\n");
}

void expectNothingFound(const ProgramDirectory& program, const std::string& tableResult,
                        const std::string& menuResult, const std::string& workingDirectory = "") {
    EXPECT_EQ(program.run("domain 1", workingDirectory), "[]\n");
    EXPECT_EQ(program.run("number 1", workingDirectory), "[]\n");
    EXPECT_EQ(program.run("dns", workingDirectory), "false 0.0.0.0 0.0.0.0\n");
    EXPECT_EQ(program.run("defaults", workingDirectory), "false\n");
    EXPECT_EQ(program.run("table APGEN.csv", workingDirectory), tableResult);
    EXPECT_EQ(program.run("menu", workingDirectory), menuResult);
}

}  // namespace

TEST(BesideProgram, EveryReaderFindsItsFileBesideTheExecutable) {
    ProgramDirectory program;
    writeAllFiles(program);
    EXPECT_EQ(program.run("domain 1"), "[@dial]\n");
    EXPECT_EQ(program.run("number 1"), "[0570-1]\n");
    EXPECT_EQ(program.run("dns"), "true 10.0.0.1 0.0.0.0\n");
    EXPECT_EQ(program.run("defaults"), "1003=0570-1\n1005=Net\ntrue\n");
    EXPECT_EQ(program.run("table APGEN.csv"), "true 1\n03|123456\n");
    EXPECT_EQ(program.run("table APPHS.csv"), "false 0\n");
    EXPECT_EQ(program.run("menu"), "true 1\n1|Dial-up|@d|0123\n");
}

TEST(BesideProgram, FilesElsewhereAreNotLookedAt) {
    ProgramDirectory program;
    ProgramDirectory workingDirectory;
    writeAllFiles(workingDirectory);
    expectNothingFound(program, "false 0\n", "false 0\n", workingDirectory.root());
}

TEST(BesideProgram, DirectoriesNamedLikeTheFilesAreUnreadableFiles) {
    ProgramDirectory program;
    for (const char* name : {"ISP_INF.csv", "APGEN.csv", "CTMENU.csv"}) fs::create_directory(program.file(name));
    expectNothingFound(program, "true 0\n", "true 0\n");
}

TEST(BesideProgram, ADataPathTooLongForItsBufferIsAMissingFile) {
    // The executable's own path fits in 260 bytes, "<directory>/APGEN.csv" does not.
    ProgramDirectory program(252);
    ASSERT_EQ(program.file("p").size(), 254u);
    writeAllFiles(program);
    expectNothingFound(program, "false 0\n", "false 0\n");
}
