// Registration, detection and removal where the platform reports major version 5.
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

const std::wstring kIexplore = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
const std::wstring kClientKey = L"HKLM\\Software\\Clients\\StartMenuInternet\\Quorvel";

// A system whose default browser is Internet Explorer, as it ships.
Lines InternetExplorerSystem() { return Golden(L"internet_explorer_system"); }

// The client step, which writes the same into any registry.
Lines ClientRows() {
    const Lines layout = Golden(L"classic_in_empty_registry");
    return Plus(Under(layout, "HKLM\\Software\\Clients"), Under(layout, "HKCU\\Software\\Clients"));
}

class ClassicOnMajor5 : public OnMajor<5> {};

TEST_F(ClassicOnMajor5, TakesOverInternetExplorersClassesRowByRow) {
    // Mode 0 over a system as it ships, value by value with types and stored sizes.
    Install(InternetExplorerSystem());
    AssociationChanges changes;
    EXPECT_EQ(SetDefault(Browser{}, true, 0), 1);
    EXPECT_EQ(changes.Count(), 2) << "one notification and one flush";
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(Golden(L"classic_over_internet_explorer")));
}

TEST_F(ClassicOnMajor5, CreatesOnlyWhatItMayCreateInAnEmptyRegistry) {
    // Rows that write only into existing keys land only once an earlier row has made their key.
    EXPECT_EQ(SetDefault(Browser{}, true, 0), 1);
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(Golden(L"classic_in_empty_registry")));
}

TEST_F(ClassicOnMajor5, ModeFlagsChooseTheClassesAndTheHttpCommand) {
    // 0x4 keeps to the browser's own class; with it 0x2 writes http's open
    // command only where one exists (0x2 wins over 0x1); 0x1 or 0x2 alone is mode 0.
    struct Case {
        unsigned flags;
        bool takesSystemClasses;
        bool createsHttpCommand;
    };
    const Case cases[] = {{0x0, true, true},  {0x1, true, true},   {0x2, true, true},  {0x3, true, true},
                          {0x4, false, true}, {0x6, false, false}, {0x7, false, false}};
    const std::string httpCommand = Sz(L"HKCR\\http\\shell\\open\\command", L"", kOpenCommand);
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
        EXPECT_THAT(dump,
                    IsSupersetOf(Plus(ClientRows(), {Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand),
                                                     Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand)})));
    }
}

TEST_F(ClassicOnMajor5, UnsetGivesInternetExplorerItsClassesBackWhereTheyExist) {
    // The restore writes only into existing keys: an empty registry stays empty.
    AssociationChanges changes;
    EXPECT_EQ(SetSystemDefault(true), 1);
    EXPECT_THAT(Dump(), ::testing::IsEmpty());
    EXPECT_EQ(changes.Count(), 2);

    Install(InternetExplorerSystem());
    SetDefault(Browser{}, true, 0);
    SetSystemDefault(false);
    EXPECT_THAT(Dump(), Contains(Sz(L"HKCR\\" + kBrowserClass + L"\\LocalServer32", L"", kExe)))
        << "the local server is given back only when asked";
    SetSystemDefault(true);
    // The Start menu keeps naming the browser: only the removal hands it back.
    EXPECT_THAT(Dump(),
                IsSupersetOf(Without(InternetExplorerSystem(), "HKLM\\Software\\Clients\\StartMenuInternet :")));
}

TEST_F(ClassicOnMajor5, DetectionTestsTheHtmlTypeAndHttpOnly) {
    // .htm, .mht and https may point elsewhere; .html, http and, when
    // asked, the local server may not.
    Install(InternetExplorerSystem());
    const Browser browser;
    EXPECT_EQ(IsDefault(browser), 0);
    SetDefault(browser, true, 0);
    EXPECT_EQ(IsDefault(browser, true), 1);
    SetString(HKEY_CLASSES_ROOT, L".htm", L"", L"htmlfile");
    SetString(HKEY_CLASSES_ROOT, L".mht", L"", L"mhtmlfile");
    SetString(HKEY_CLASSES_ROOT, L"https\\shell", L"", L"");
    EXPECT_EQ(IsDefault(browser, true), 1);

    SetString(HKEY_CLASSES_ROOT, kBrowserClass + L"\\LocalServer32", L"", kIexplore);
    EXPECT_EQ(IsDefault(browser, true), 0);
    EXPECT_EQ(IsDefault(browser, false), 1);
    SetString(HKEY_CLASSES_ROOT, L".html", L"", L"QUORVELhtml");
    EXPECT_EQ(IsDefault(browser), 1) << "letter case does not matter";
    SetString(HKEY_CLASSES_ROOT, L"http\\shell", L"", L"open");
    EXPECT_EQ(IsDefault(browser), 0);
    SetString(HKEY_CLASSES_ROOT, L"http\\shell", L"", L"Quorvel");
    SetSystemDefault(false);
    EXPECT_EQ(IsDefault(browser), 0) << "after the system browser took its classes back";
}

TEST_F(ClassicOnMajor5, RemovalGivesInternetExplorerBackItsClassesAndStartMenu) {
    // Set then remove: the system as it shipped, less nothing and plus the
    // per-user Start-menu default and the MUI cache entry, which no removal row touches.
    Install(InternetExplorerSystem());
    const Browser browser;
    SetDefault(browser, true, 0);
    AssociationChanges changes;
    EXPECT_EQ(Remove(browser, true), 1);
    EXPECT_EQ(changes.Count(), 2) << "only the restore notifies";
    EXPECT_THAT(Dump(),
                UnorderedElementsAreArray(Plus(
                    InternetExplorerSystem(),
                    {Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", L"IEXPLORE.EXE"),
                     Sz(L"HKCU\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", kExe, L"Quorvel Browser")})));
}

TEST_F(ClassicOnMajor5, OverlongTextIsSkippedNeverCutShort) {
    // 254 characters of path: the bare path fits in 259, the quoted commands do not.
    Browser browser;
    browser.exe = L"C:\\" + std::wstring(251, L'q');
    EXPECT_EQ(SetDefault(browser, true, 0), 1);
    const Lines dump = Dump();
    EXPECT_THAT(dump, Contains(Sz(kClientKey + L"\\Shell\\open\\command", L"", browser.exe)));
    EXPECT_THAT(dump, Not(Contains(HasSubstr("\"\"C:\\q")))) << "no value starts with the quoted path";
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\QuorvelHTML\\DefaultIcon", L"", kDocumentIcon)));
}

}  // namespace
