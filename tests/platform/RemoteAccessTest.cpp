// Binding the remote-access library, each case in a program directory of its
// own with the probe program and the library the case is about.
#include "ProbeDirectory.h"
#include "windows.h"

#include <gtest/gtest.h>

namespace {

const std::string kAllFourteen =
    " RasDialA RasHangUpA RasGetConnectStatusA RasSetEntryPropertiesA RasGetEntryPropertiesA"
    " RasEnumEntriesA RasSetEntryDialParamsA RasGetEntryDialParamsA RasCreatePhonebookEntryA"
    " RasGetErrorStringA RasEnumConnectionsA RasDeleteEntryA RasEnumDevicesA RasValidateEntryNameA";
const std::string kEmptyTwice = "library none entries 0\nlibrary none entries 0\n";
const std::string kWarning = "message RASAPI32.DLL エラー|Kivora|48\n";

TEST(RemoteAccessBinding, LibraryWithAllFourteenNamesBindsThemAll) {
    ProbeDirectory program;
    program.addLibrary("full");
    testsupport::ProcessResult r = program.run({"bind"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "library bound entries 14" + kAllFourteen + "\nvariant full\n" + kEmptyTwice);
}

TEST(RemoteAccessBinding, MissingOptionalNameLeavesOnlyItsEntryEmpty) {
    ProbeDirectory program;
    program.addLibrary("no-optional");
    testsupport::ProcessResult r = program.run({"bind"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string thirteen = kAllFourteen.substr(0, kAllFourteen.rfind(' '));
    EXPECT_EQ(r.out, "library bound entries 13" + thirteen + "\nvariant no-optional\n" + kEmptyTwice);
}

TEST(RemoteAccessBinding, MissingHangUpWarnsAndEmptiesTheTable) {
    ProbeDirectory program;
    program.addLibrary("no-hangup");
    testsupport::ProcessResult r = program.run({"bind"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Warning icon (0x30) with an OK button, caption Kivora; then nothing bound.
    EXPECT_EQ(r.out, kWarning + "library none entries 0\n" + kEmptyTwice);
}

TEST(RemoteAccessBinding, NoLibraryIsSilentAndLeavesTheTableEmpty) {
    ProbeDirectory program;
    testsupport::ProcessResult r = program.run({"bind"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "library none entries 0\n" + kEmptyTwice);
    EXPECT_EQ(r.err, "");
}

TEST(RemoteAccessBinding, ProgramDirectoryIsSearchedBeforeTheSearchPath) {
    std::string elsewhere = std::string(KIVORA_FAKERAS_DIR) + "/no-hangup";
    ProbeDirectory withOwn;
    withOwn.addLibrary("full");
    EXPECT_EQ(withOwn.run({"load", "RASAPI32.DLL"}, elsewhere).out, "loaded variant=full\n");

    // Without a copy of its own the program finds the one on the search path,
    // but binds only the system directory's (here the program's own).
    ProbeDirectory withoutOwn;
    EXPECT_EQ(withoutOwn.run({"load", "RASAPI32.DLL"}, elsewhere).out, "loaded variant=no-hangup\n");
    EXPECT_EQ(withoutOwn.run({"bind"}, elsewhere).out, "library none entries 0\n" + kEmptyTwice);
}

TEST(RemoteAccessBinding, BrokenLibraryBesideTheProgramIsNotReplacedByAnother) {
    ProbeDirectory program;
    testsupport::writeFile(program.directory() + "/librasapi32.so", "not a shared object\n");
    std::string elsewhere = std::string(KIVORA_FAKERAS_DIR) + "/full";
    EXPECT_EQ(program.run({"load", "RASAPI32.DLL"}, elsewhere).out, "failed error=126\n");
    EXPECT_EQ(program.run({"bind"}, elsewhere).out, "library none entries 0\n" + kEmptyTwice);
}

TEST(LoadLibrary, DllNamesMapToLowerCaseSharedObjects) {
    ProbeDirectory program;
    program.addLibrary("full", "libmixedcase.so");
    for (const std::string& name : {std::string("MIXEDCASE.DLL"), std::string("MixedCase.Dll"), std::string("mixedcase"),
                                    std::string("libmixedcase.so"), program.directory() + "/MixedCase.DLL"}) {
        EXPECT_EQ(program.run({"load", name}).out, "loaded variant=full\n") << name;
    }
    EXPECT_EQ(program.run({"load", "OTHER.DLL"}).out, "failed error=126\n");
    EXPECT_EQ(program.run({"load", ""}).out, "failed error=87\n");
}

TEST(LoadLibrary, GetProcAddressAndFreeLibraryFollowWindows) {
    HMODULE library = LoadLibraryA(ProbeDirectory::fakeLibrary("full").c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, "RasDialA"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "RasNoSuchThingA"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(nullptr, "RasDialA"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(FreeLibrary(library), TRUE);
    EXPECT_EQ(FreeLibrary(nullptr), FALSE);
}

}  // namespace
