// Registration, detection and removal where the platform reports major version 5.
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

const std::wstring kIexplore = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
const std::wstring kUrlIcon = L"%SystemRoot%\\system32\\url.dll,0";
const std::wstring kMuiCache = L"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";

struct Value {
    HKEY root;
    const char* rootName;
    std::wstring key;
    std::wstring name;
    std::wstring text;
    DWORD type = REG_SZ;
};

// A system whose default browser is Internet Explorer, as it ships.
std::vector<Value> InternetExplorerSystem() {
    std::vector<Value> values = {
        {HKEY_CLASSES_ROOT, "HKCR", L".htm", L"", L"htmlfile"},
        {HKEY_CLASSES_ROOT, "HKCR", L".html", L"", L"htmlfile"},
        {HKEY_CLASSES_ROOT, "HKCR", L".mht", L"", L"mhtmlfile"},
        {HKEY_CLASSES_ROOT, "HKCR", L".url", L"", L"InternetShortcut"},
    };
    for (const wchar_t* type : {L"htmlfile", L"mhtmlfile"}) {
        const std::wstring c = type;
        values.push_back({HKEY_CLASSES_ROOT, "HKCR", c + L"\\DefaultIcon", L"", kIexplore + L",1"});
        values.push_back({HKEY_CLASSES_ROOT, "HKCR", c + L"\\shell", L"", L"opennew"});
        values.push_back({HKEY_CLASSES_ROOT, "HKCR", c + L"\\shell\\open\\command", L"", L"\"" + kIexplore + L"\" %1"});
        values.push_back(
            {HKEY_CLASSES_ROOT, "HKCR", c + L"\\shell\\opennew\\command", L"", L"\"" + kIexplore + L"\" -nohome"});
    }
    for (const wchar_t* type : {L"http", L"https", L"InternetShortcut"}) {
        const std::wstring c = type;
        values.push_back({HKEY_CLASSES_ROOT, "HKCR", c + L"\\DefaultIcon", L"", kUrlIcon, REG_EXPAND_SZ});
        values.push_back({HKEY_CLASSES_ROOT, "HKCR", c + L"\\shell", L"", L""});
        values.push_back(
            {HKEY_CLASSES_ROOT, "HKCR", c + L"\\shell\\open\\command", L"", L"\"" + kIexplore + L"\" -nohome"});
    }
    values.push_back({HKEY_CLASSES_ROOT, "HKCR", kBrowserClass + L"\\LocalServer32", L"", kIexplore});
    values.push_back({HKEY_LOCAL_MACHINE, "HKLM", L"Software\\Clients\\StartMenuInternet", L"", L"IEXPLORE.EXE"});
    values.push_back({HKEY_CURRENT_USER, "HKCU", kMuiCache, L"C:\\Windows\\notepad.exe", L"Notepad"});
    return values;
}

void Install(const std::vector<Value>& values) {
    for (const Value& v : values) SetString(v.root, v.key, v.name, v.text, v.type);
}

std::string Line(const Value& v) {
    const std::wstring key = std::wstring(v.rootName, v.rootName + 4) + L"\\" + v.key;
    return v.type == REG_EXPAND_SZ ? ExpandSz(key, v.name, v.text) : Sz(key, v.name, v.text);
}

std::vector<std::string> Lines(const std::vector<Value>& values) {
    std::vector<std::string> lines;
    for (const Value& v : values) lines.push_back(Line(v));
    return lines;
}

const std::wstring kClientKey = L"HKLM\\Software\\Clients\\StartMenuInternet\\Quorvel";

// The client step, which writes the same into any registry.
std::vector<std::string> ClientRows() {
    return {
        Sz(kClientKey, L"", L"Quorvel Browser"),
        Sz(kClientKey + L"\\DefaultIcon", L"", kAppIcon),
        Sz(kClientKey + L"\\Shell\\open\\command", L"", kExe),
        Sz(kClientKey + L"\\InstallInfo", L"ReinstallCommand", kSetDefaultCommand),
        Sz(kClientKey + L"\\InstallInfo", L"ShowIconsCommand", kSetDefaultCommand),
        Sz(kClientKey + L"\\InstallInfo", L"HideIconsCommand", kSetDefaultCommand),
        Dword(kClientKey + L"\\InstallInfo", L"IconsVisible", 1),
        Sz(L"HKLM\\Software\\Clients\\StartMenuInternet", L"", L"Quorvel"),
        Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", L"Quorvel"),
    };
}

std::vector<std::string> Joined(std::vector<std::string> lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

class ClassicOnMajor5 : public OnMajor<5> {};

TEST_F(ClassicOnMajor5, TakesOverInternetExplorersClassesRowByRow) {
    // Mode 0 over a system as it ships, value by value with types and stored sizes.
    Install(InternetExplorerSystem());
    AssociationChanges changes;
    EXPECT_EQ(SetDefault(Browser{}, true, 0), 1);
    EXPECT_EQ(changes.Count(), 2) << "one notification and one flush";
    const std::vector<std::string> expected = Joined(ClientRows(), {
        Sz(L"HKCR\\.htm", L"", L"QuorvelHTML"),
        Sz(L"HKCR\\.html", L"", L"QuorvelHTML"),
        Sz(L"HKCR\\.mht", L"", L"QuorvelHTML"),
        Sz(L"HKCR\\.url", L"", L"InternetShortcut"),
        Sz(L"HKCR\\QuorvelHTML", L"", L"Quorvel Document"),
        Sz(L"HKCR\\QuorvelHTML\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\QuorvelHTML\\shell\\open", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\htmlfile\\DefaultIcon", L"", kIexplore + L",1"),
        Sz(L"HKCR\\htmlfile\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\htmlfile\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\htmlfile\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\htmlfile\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\htmlfile\\shell\\opennew\\command", L"", L"\"" + kIexplore + L"\" -nohome"),
        Sz(L"HKCR\\mhtmlfile\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\mhtmlfile\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\mhtmlfile\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\mhtmlfile\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\mhtmlfile\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\mhtmlfile\\shell\\opennew\\command", L"", L"\"" + kIexplore + L"\" -nohome"),
        Sz(L"HKCR\\InternetShortcut\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\InternetShortcut\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\InternetShortcut\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\InternetShortcut\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\InternetShortcut\\shell\\open\\command", L"", kOpenCommand),
        ExpandSz(L"HKCR\\http\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\http\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\http\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand),
        ExpandSz(L"HKCR\\https\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\https\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\https\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\https\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\" + kBrowserClass + L"\\LocalServer32", L"", kExe),
        Sz(L"HKCU\\" + kMuiCache, L"C:\\Windows\\notepad.exe", L"Notepad"),
        Sz(L"HKCU\\" + kMuiCache, kExe, L"Quorvel Browser"),
    });
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(expected));
}

TEST_F(ClassicOnMajor5, CreatesOnlyWhatItMayCreateInAnEmptyRegistry) {
    // Rows that write only into existing keys land only once an earlier row has made their key.
    EXPECT_EQ(SetDefault(Browser{}, true, 0), 1);
    const std::vector<std::string> expected = Joined(ClientRows(), {
        Sz(L"HKCR\\QuorvelHTML", L"", L"Quorvel Document"),
        Sz(L"HKCR\\QuorvelHTML\\DefaultIcon", L"", kDocumentIcon),
        Sz(L"HKCR\\QuorvelHTML\\shell\\open", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\htmlfile\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\htmlfile\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\htmlfile\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\mhtmlfile\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\mhtmlfile\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\mhtmlfile\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\InternetShortcut\\shell", L"", L"Quorvel"),
        Sz(L"HKCR\\InternetShortcut\\shell\\Quorvel", L"", L"Quorvel Browser"),
        Sz(L"HKCR\\InternetShortcut\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\http\\shell\\open\\command", L"", kOpenCommand),
        Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand),
        Sz(L"HKCR\\https\\shell\\Quorvel\\command", L"", kOpenCommand),
    });
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(expected));
}

TEST_F(ClassicOnMajor5, ModeFlagsChooseTheClassesAndTheHttpCommand) {
    // 0x4 keeps to the browser's own class; with it 0x2 writes http's open
    // command only where one exists (0x2 wins over 0x1); 0x1 or 0x2 alone is mode 0.
    struct Case {
        unsigned flags;
        bool takesSystemClasses;
        bool createsHttpCommand;
    };
    const Case cases[] = {{0x0, true, true},   {0x1, true, true},   {0x2, true, true}, {0x3, true, true},
                          {0x4, false, true},  {0x6, false, false}, {0x7, false, false}};
    std::vector<Value> system = InternetExplorerSystem();
    system.erase(std::remove_if(system.begin(), system.end(),
                                [](const Value& v) { return v.key == L"http\\shell\\open\\command"; }),
                 system.end());
    const std::string httpCommand = Sz(L"HKCR\\http\\shell\\open\\command", L"", kOpenCommand);
    for (const Case& c : cases) {
        SCOPED_TRACE("mode flags " + std::to_string(c.flags));
        FreshRegistry();
        Install(system);
        EXPECT_EQ(SetDefault(Browser{}, false, c.flags), 1);
        const std::vector<std::string> dump = Dump();
        EXPECT_THAT(dump, Contains(Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand)));
        EXPECT_THAT(dump, Contains(Sz(L"HKCR\\.htm", L"", c.takesSystemClasses ? L"QuorvelHTML" : L"htmlfile")));
        EXPECT_EQ(std::count(dump.begin(), dump.end(), Sz(L"HKCR\\htmlfile\\shell", L"", L"Quorvel")),
                  c.takesSystemClasses ? 1 : 0);
        EXPECT_EQ(std::count(dump.begin(), dump.end(), httpCommand), c.createsHttpCommand ? 1 : 0);
        EXPECT_THAT(dump, Contains(Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand)));
        EXPECT_THAT(dump, IsSupersetOf(ClientRows()));
    }
}

TEST_F(ClassicOnMajor5, UnsetGivesInternetExplorerItsClassesBackWhereTheyExist) {
    // The restore writes only into existing keys: an empty registry stays empty.
    AssociationChanges changes;
    EXPECT_EQ(SetSystemDefault(true), 1);
    EXPECT_THAT(Dump(), ::testing::IsEmpty());
    EXPECT_EQ(changes.Count(), 2);

    const std::vector<Value> system = InternetExplorerSystem();
    Install(system);
    SetDefault(Browser{}, true, 0);
    SetSystemDefault(false);
    std::vector<std::string> dump = Dump();
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\" + kBrowserClass + L"\\LocalServer32", L"", kExe)))
        << "the local server is given back only when asked";
    SetSystemDefault(true);
    // The Start menu keeps naming the browser: only the removal hands it back.
    std::vector<Value> classes = system;
    classes.erase(std::remove_if(classes.begin(), classes.end(),
                                 [](const Value& v) { return v.key == L"Software\\Clients\\StartMenuInternet"; }),
                  classes.end());
    EXPECT_THAT(Dump(), IsSupersetOf(Lines(classes)));
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
    const std::vector<Value> system = InternetExplorerSystem();
    Install(system);
    const Browser browser;
    SetDefault(browser, true, 0);
    AssociationChanges changes;
    EXPECT_EQ(Remove(browser, true), 1);
    EXPECT_EQ(changes.Count(), 2) << "only the restore notifies";
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(Joined(
                            Lines(system), {Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", L"IEXPLORE.EXE"),
                                            Sz(L"HKCU\\" + kMuiCache, kExe, L"Quorvel Browser")})));
}

TEST_F(ClassicOnMajor5, OverlongTextIsSkippedNeverCutShort) {
    // 254 characters of path: the bare path fits in 259, the quoted commands do not.
    Browser browser;
    browser.exe = L"C:\\" + std::wstring(251, L'q');
    EXPECT_EQ(SetDefault(browser, true, 0), 1);
    const std::vector<std::string> dump = Dump();
    EXPECT_THAT(dump, Contains(Sz(kClientKey + L"\\Shell\\open\\command", L"", browser.exe)));
    EXPECT_THAT(dump, Not(Contains(HasSubstr("\"\"C:\\q")))) << "no value starts with the quoted path";
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\QuorvelHTML\\DefaultIcon", L"", kDocumentIcon)));
}

}  // namespace
