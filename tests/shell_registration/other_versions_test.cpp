// Platforms whose reported major version is neither 5 nor 6: no layout, and
// detection by the class's open command alone.
#include <tuple>

#include "tests/shell_registration/harness.h"

namespace {

class NoLayoutOnOtherMajors : public OnOtherMajors {};

TEST_F(NoLayoutOnOtherMajors, DetectionNeedsTheQuotedOpenCommandAndNothingElse) {
    // The stored command must be the quoted path and the quoted %1, apart
    // from letter case, and fit in 259 characters.
    EXPECT_EQ(IsDefault(Browser{}), 0) << "no class at all";
    const std::wstring path252 = L"C:\\" + std::wstring(249, L'q');
    const std::wstring path253 = path252 + L"q";
    const std::tuple<std::wstring, std::wstring, int> cases[] = {
        {kExe, kOpenCommand, 1},
        {kExe, L"\"c:\\program files\\QUORVEL\\Quorvel.exe\" \"%1\"", 1},
        {kExe, kExe, 0},
        {kExe, L"\"" + kExe + L"\" %1", 0},
        {kExe, L"\"" + kExe + L"\" -new \"%1\"", 0},
        {kExe, kOpenCommand + L" ", 0},
        {kExe, L"", 0},
        {path252, L"\"" + path252 + L"\" \"%1\"", 1},
        {path253, L"\"" + path253 + L"\" \"%1\"", 0},
    };
    for (const auto& [exe, stored, expected] : cases) {
        Browser browser;
        browser.exe = exe;
        SetString(HKEY_CLASSES_ROOT, browser.progId + L"\\Shell\\open\\command", L"", stored);
        EXPECT_EQ(IsDefault(browser, true), expected) << std::string(stored.begin(), stored.end());
    }
}

TEST_F(NoLayoutOnOtherMajors, NothingIsWrittenOrRemovedAndOwnershipDecidesRemovalsAnswer) {
    // Neither value of `set` touches the registry or notifies the shell, and
    // ownership, the client's open command, decides between 0 and 1.
    SetString(HKEY_LOCAL_MACHINE, L"Software\\Clients\\StartMenuInternet\\Quorvel\\Shell\\open\\command", L"", kExe);
    CreateKey(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications");
    const Lines before = Dump();
    AssociationChanges changes;
    EXPECT_EQ(SetDefault(Browser{}, true, 0x7), 0);
    EXPECT_EQ(SetDefault(Browser{}, false, 0), 0);
    EXPECT_EQ(SetSystemDefault(true), 0);
    Browser unknown;
    unknown.client = L"Unknown";
    EXPECT_EQ(Remove(Browser{}, true), 1);
    EXPECT_EQ(Remove(unknown, true), 0);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(changes.Count(), 0);
}

}  // namespace
