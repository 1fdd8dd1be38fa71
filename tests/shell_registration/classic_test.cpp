// Registration, detection and removal where the platform reports major version 5.
#include <tuple>

#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::UnorderedElementsAreArray;

const std::wstring kIexplore = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

// A system whose default browser is Internet Explorer, as it ships.
Lines InternetExplorerSystem() { return Golden(L"internet_explorer_system"); }

class ClassicOnMajor5 : public OnMajor<5> {};

TEST_F(ClassicOnMajor5, SetUnsetAndRemoveWriteTheLayoutRowByRow) {
    // Value by value, and one notification and one flush a layout. Rows that
    // write only into existing keys land once an earlier row has made their
    // key, so the restore leaves an empty registry empty. Removal leaves the
    // per-user Start-menu default and the MUI cache entry.
    const Lines ie = InternetExplorerSystem();
    const std::tuple<Lines, int (*)(), Lines, int> cases[] = {
        {ie, [] { return SetDefault(Browser{}, true, 0); }, Golden(L"classic_over_internet_explorer"), 2},
        {{}, [] { return SetDefault(Browser{}, true, 0); }, Golden(L"classic_in_empty_registry"), 2},
        {{}, [] { return SetSystemDefault(true); }, {}, 2},
        {ie, [] { return SetDefault(Browser{}, true, 0) == 1 ? Remove(Browser{}, true) : 0; },
         Golden(L"classic_removed_from_internet_explorer"), 4},
    };
    for (const auto& [installed, act, expected, notifications] : cases) {
        FreshRegistry();
        Install(installed);
        AssociationChanges changes;
        EXPECT_EQ(act(), 1);
        EXPECT_EQ(changes.Count(), notifications);
        EXPECT_THAT(Dump(), UnorderedElementsAreArray(expected));
    }
}

TEST_F(ClassicOnMajor5, ModeFlagsChooseTheClassesAndTheHttpCommand) {
    // 0x4 keeps to the browser's own class; with it 0x2 writes http's open
    // command only where one exists (0x2 wins over 0x1); 0x1 or 0x2 alone is
    // mode 0. The client step is the same in every mode.
    struct Case {
        unsigned flags;
        bool takesSystemClasses;
        bool createsHttpCommand;
    };
    const Case cases[] = {{0x0, true, true},  {0x1, true, true},   {0x2, true, true},  {0x3, true, true},
                          {0x4, false, true}, {0x6, false, false}, {0x7, false, false}};
    const std::string httpCommand = Sz(L"HKCR\\http\\shell\\open\\command", L"", kOpenCommand);
    const Lines alwaysWritten = Plus(Without(Golden(L"classic_in_empty_registry"), "HKCR"),
                                     {Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand),
                                      Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand)});
    for (const Case& c : cases) {
        SCOPED_TRACE("mode flags " + std::to_string(c.flags));
        FreshRegistry();
        Install(Without(InternetExplorerSystem(), "HKCR\\http\\shell\\open\\command"));
        EXPECT_EQ(SetDefault(Browser{}, false, c.flags), 1);
        const Lines dump = Dump();
        EXPECT_THAT(dump, Contains(Sz(L"HKCR\\.htm", L"", c.takesSystemClasses ? L"QuorvelHTML" : L"htmlfile")));
        EXPECT_EQ(std::count(dump.begin(), dump.end(), Sz(L"HKCR\\htmlfile\\shell", L"", L"Quorvel")),
                  c.takesSystemClasses ? 1 : 0);
        EXPECT_EQ(std::count(dump.begin(), dump.end(), httpCommand), c.createsHttpCommand ? 1 : 0);
        EXPECT_THAT(dump, IsSupersetOf(alwaysWritten));
    }
}

TEST_F(ClassicOnMajor5, DetectionTestsTheHtmlTypeAndHttpOnly) {
    // .htm, .mht and https may point elsewhere; .html, http and, when
    // asked, the local server may not. Letter case does not matter.
    Install(InternetExplorerSystem());
    const Browser browser;
    EXPECT_EQ(IsDefault(browser), 0);
    SetDefault(browser, true, 0);
    SetString(HKEY_CLASSES_ROOT, L".htm", L"", L"htmlfile");
    SetString(HKEY_CLASSES_ROOT, L".mht", L"", L"mhtmlfile");
    SetString(HKEY_CLASSES_ROOT, L"https\\shell", L"", L"");
    SetString(HKEY_CLASSES_ROOT, L".html", L"", L"QUORVELhtml");
    EXPECT_EQ(IsDefault(browser, true), 1);
    SetString(HKEY_CLASSES_ROOT, kBrowserClass + L"\\LocalServer32", L"", kIexplore);
    EXPECT_EQ(IsDefault(browser, true), 0);
    EXPECT_EQ(IsDefault(browser, false), 1);
    SetString(HKEY_CLASSES_ROOT, L"http\\shell", L"", L"open");
    EXPECT_EQ(IsDefault(browser), 0);
}

}  // namespace
