// What the registry promises about crashes and concurrent writers: a kill at
// any moment leaves the old or the new hive, and two writers lose nothing.
#include "RegistryTestSupport.h"
#include "SystemRoot.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

namespace {

using testsupport::TempSystemRoot;

// Parses the hive file directly, as it lies on disk.
bool parseOnDisk(HKEY root, standin::Hive& hive, std::string& error) {
    std::string content;
    if (standin::readWholeFile(standin::rootFile(hiveFile(root).fileName), content) != standin::ReadResult::Ok) {
        error = "unreadable";
        return false;
    }
    return hive.parse(content, error);
}

const standin::RegistryValue* find(const standin::Hive& hive, const std::string& key, const std::string& name) {
    for (const standin::RegistryKey& k : hive.keys()) {
        if (k.path != key) continue;
        for (const standin::RegistryValue& v : k.values) {
            if (v.name == name) return &v;
        }
    }
    return nullptr;
}

TEST(RegistryDurability, KillDuringWritesLosesNothing) {
    TempSystemRoot root;
    // What was there before the writer starts must survive every kill.
    const std::string longText(4000, 'L');
    ASSERT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", "\x83\x5C\x83\x74\x83\x67"),
              ERROR_SUCCESS);
    ASSERT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "Long", longText), ERROR_SUCCESS);
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> delayMicros(0, 20000);
    const int iterations = 300;
    DWORD lastCounter = 0;
    int advanced = 0;
    int midWrite = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Writes until killed: a growing counter and a value that changes
            // size, so every write rewrites the whole file.
            for (DWORD n = lastCounter + 1;; ++n) {
                setDword(HKEY_CURRENT_USER, kInternetSettings, "Counter", n);
                setString(HKEY_CURRENT_USER, kInternetSettings, "Churn", std::string(n % 97, 'c'));
            }
        }
        usleep(static_cast<useconds_t>(delayMicros(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        // A temporary left behind: this kill caught a write half done.
        for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
            if (entry.path().filename().string().rfind("HKCU.reg.tmp.", 0) == 0) {
                ++midWrite;
                break;
            }
        }

        standin::Hive hive("HKEY_CURRENT_USER");
        std::string error;
        ASSERT_TRUE(parseOnDisk(HKEY_CURRENT_USER, hive, error)) << "after kill " << i << ": " << error;
        const standin::RegistryValue* profile = find(hive, "RemoteAccess", "InternetProfile");
        const standin::RegistryValue* longValue = find(hive, "RemoteAccess", "Long");
        const standin::RegistryValue* autodial = find(hive, kInternetSettings, "EnableAutodial");
        ASSERT_TRUE(profile && longValue && autodial) << "after kill " << i;
        EXPECT_EQ(profile->text, "\x83\x5C\x83\x74\x83\x67");
        EXPECT_EQ(longValue->text, longText);
        EXPECT_EQ(autodial->number, 1u);
        if (const standin::RegistryValue* counter = find(hive, kInternetSettings, "Counter")) {
            // Never goes back: a write that landed stays.
            ASSERT_GE(counter->number, lastCounter) << "after kill " << i;
            if (counter->number > lastCounter) ++advanced;
            lastCounter = counter->number;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // A later write clears what killed writers left behind.
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "Counter", lastCounter + 1), ERROR_SUCCESS);
    for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
        EXPECT_EQ(entry.path().filename().string().find("HKCU.reg.tmp."), std::string::npos) << entry.path();
    }
    std::cout << iterations << " kills in " << seconds << " s; " << midWrite << " of them in the middle of a write; "
              << lastCounter << " counter writes landed\n";
    RecordProperty("kills", iterations);
    RecordProperty("kills_mid_write", midWrite);
    RecordProperty("writes_landed", static_cast<int>(lastCounter));
    // Enough kills must have hit a writer at work, or the test proves little.
    EXPECT_GT(midWrite, iterations / 10);
    EXPECT_GT(advanced, iterations / 4);
}

TEST(RegistryDurability, TwoProcessesWritingAtOnceLoseNothing) {
    TempSystemRoot root;
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, "RemoteAccess", "Before", 7), ERROR_SUCCESS);
    const int perWriter = 40;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            int failures = 0;
            for (int i = 0; i < perWriter; ++i) {
                std::string name = std::string(w == 0 ? "A" : "B") + std::to_string(i);
                // Both hives, so writers meet on both files.
                if (setDword(HKEY_CURRENT_USER, "RemoteAccess", name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS) {
                    ++failures;
                }
                if (setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, name.c_str(), name) != ERROR_SUCCESS) ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t writer : writers) {
        int status = 0;
        waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", "Before").number, 7u);
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < perWriter; ++i) {
            std::string name = prefix + std::to_string(i);
            EXPECT_EQ(readBack(HKEY_CURRENT_USER, "RemoteAccess", name).number, static_cast<DWORD>(i)) << name;
            EXPECT_EQ(readBack(HKEY_LOCAL_MACHINE, kAutoDialDefault, name).text, name);
        }
    }
}

}  // namespace
