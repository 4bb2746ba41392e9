// ShellExecuteA "open": xdg-open gets the text as one argument.
#include "TempSystemRoot.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using testsupport::TempDir;

// Puts a fake xdg-open first on PATH (alone on it) for the object's life;
// the fake writes its argument count, arguments and directory to `log`.
class FakeOpener {
public:
    explicit FakeOpener(bool install = true) {
        if (install) {
            testsupport::writeFile(bin_.file("xdg-open"),
                                   "#!/bin/sh\n{ echo \"$#\"; for a; do printf '%s\\n' \"$a\"; done; pwd; } > \"" +
                                       log() + ".tmp\" && /bin/mv \"" + log() + ".tmp\" \"" + log() + "\"\n");
            chmod(bin_.file("xdg-open").c_str(), 0755);
        }
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", bin_.path().c_str(), 1);
    }
    ~FakeOpener() { setenv("PATH", oldPath_.c_str(), 1); }

    std::string log() const { return out_.file("log"); }

    // What the fake recorded, waiting for it to run; empty if it never did.
    std::string waitForLog() const {
        for (int i = 0; i < 500; ++i) {
            std::string text = testsupport::readFile(log());
            if (!text.empty()) return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

private:
    TempDir bin_;
    TempDir out_;
    std::string oldPath_;
};

bool succeeded(HINSTANCE result) { return reinterpret_cast<ULONG_PTR>(result) > 32; }

TEST(ShellExecute, OpenPassesTheTextAsOneArgumentWithoutAShell) {
    FakeOpener opener;
    const char* text = "http://example.invalid/a b;$(touch /tmp/kivora-pwned) 'q' \"d\" *";
    HINSTANCE result = ShellExecuteA(nullptr, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_TRUE(succeeded(result)) << reinterpret_cast<ULONG_PTR>(result);
    std::string log = opener.waitForLog();
    EXPECT_EQ(log.substr(0, log.rfind('\n', log.size() - 2) + 1), std::string("1\n") + text + "\n");
    EXPECT_NE(access("/tmp/kivora-pwned", F_OK), 0);
}

TEST(ShellExecute, DefaultVerbOpensAndTheDirectoryIsHonoured) {
    FakeOpener opener;
    TempDir work;
    EXPECT_TRUE(succeeded(ShellExecuteA(nullptr, nullptr, "x", nullptr, work.path().c_str(), SW_SHOWNORMAL)));
    EXPECT_EQ(opener.waitForLog(), "1\nx\n" + work.path() + "\n");
}

TEST(ShellExecute, MissingOpenerFailsSilently) {
    FakeOpener noOpener(false);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    HINSTANCE result = ShellExecuteA(nullptr, "open", "http://example.invalid/", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(result), ERROR_FILE_NOT_FOUND);
}

TEST(ShellExecute, OtherVerbsAndEmptyTextsAreRefused) {
    FakeOpener opener;
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "print", "x", nullptr, nullptr, 1)), 31u);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, 1)), 2u);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(testsupport::readFile(opener.log()), "");
}

}  // namespace
