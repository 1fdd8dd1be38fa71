// Platforms whose reported major version is neither 5 nor 6: no layout, and
// detection by the class's open command alone.
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::IsEmpty;

class NoLayoutOnOtherMajors : public OnOtherMajors {};

TEST_F(NoLayoutOnOtherMajors, SetAndUnsetWriteNothingAndAnswerZero) {
    // Neither value of `set` touches the registry or notifies the shell.
    AssociationChanges changes;
    EXPECT_EQ(SetDefault(Browser{}, true, 0x7), 0);
    EXPECT_EQ(SetDefault(Browser{}, false, 0), 0);
    EXPECT_EQ(SetSystemDefault(true), 0);
    EXPECT_THAT(Dump(), IsEmpty());
    EXPECT_EQ(changes.Count(), 0);
}

TEST_F(NoLayoutOnOtherMajors, DetectionNeedsTheQuotedOpenCommandAndNothingElse) {
    // The stored command must be the quoted path and the quoted %1, apart from letter case.
    const Browser browser;
    EXPECT_EQ(IsDefault(browser), 0) << "no class at all";
    const std::wstring command = browser.progId + L"\\Shell\\open\\command";
    const std::pair<std::wstring, int> cases[] = {
        {kOpenCommand, 1},
        {L"\"c:\\program files\\QUORVEL\\Quorvel.exe\" \"%1\"", 1},
        {kExe, 0},
        {L"\"" + kExe + L"\" %1", 0},
        {L"\"" + kExe + L"\" -new \"%1\"", 0},
        {kOpenCommand + L" ", 0},
        {L"", 0},
    };
    for (const auto& [stored, expected] : cases) {
        SetString(HKEY_CLASSES_ROOT, command, L"", stored);
        EXPECT_EQ(IsDefault(browser, true), expected) << std::string(stored.begin(), stored.end());
    }
}

TEST_F(NoLayoutOnOtherMajors, DetectionAnswersZeroWhenTheExpectedCommandWouldNotFit) {
    // A 253-character path makes a 260-character command: never a match, even with the command stored.
    Browser browser;
    browser.exe = L"C:\\" + std::wstring(250, L'q');
    SetString(HKEY_CLASSES_ROOT, browser.progId + L"\\Shell\\open\\command", L"", L"\"" + browser.exe + L"\" \"%1\"");
    EXPECT_EQ(IsDefault(browser), 0);
    browser.exe.pop_back();
    SetString(HKEY_CLASSES_ROOT, browser.progId + L"\\Shell\\open\\command", L"", L"\"" + browser.exe + L"\" \"%1\"");
    EXPECT_EQ(IsDefault(browser), 1) << "259 characters still fit";
}

TEST_F(NoLayoutOnOtherMajors, RemovalChangesNothingOnceOwnershipHolds) {
    // Ownership decides between 0 and 1; nothing is removed either way.
    const Browser browser;
    SetString(HKEY_LOCAL_MACHINE, L"Software\\Clients\\StartMenuInternet\\Quorvel\\Shell\\open\\command", L"",
              browser.exe);
    CreateKey(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications");
    SetString(HKEY_CURRENT_USER, L"Software\\Classes\\QuorvelHTML", L"", L"Quorvel Document");
    const std::vector<std::string> before = Dump();
    EXPECT_EQ(Remove(browser, true), 1);
    EXPECT_EQ(Dump(), before);
    Browser unknown;
    unknown.client = L"Unknown";
    EXPECT_EQ(Remove(unknown, true), 0);
    EXPECT_EQ(Dump(), before);
}

}  // namespace
