// Registration, detection and removal where the platform reports major version 6.
#include "shell_registration/shell_registration.h"
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

const std::wstring kClientKey = L"HKLM\\Software\\Clients\\StartMenuInternet\\Quorvel";
const std::wstring kRegisteredApplications = L"Software\\RegisteredApplications";
const std::wstring kMuiCache = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";

// Everything the layout writes into an empty registry.
Lines LayoutInEmptyRegistry(bool registerClsid) {
    const Lines layout = Golden(L"default_programs_in_empty_registry");
    return registerClsid ? layout : Without(layout, "HKCU\\Software\\Classes\\CLSID");
}

// What the system browser's restore writes, whatever was there before.
Lines SystemBrowserChoices() { return Golden(L"system_browser_choices"); }

// HKEY_CLASSES_ROOT shows the per-user classes merged in on Windows; the
// scratch roots are apart, so detection tests put the class where that view
// shows it.
void ShowClassInClassesRoot(const std::wstring& progId, const std::wstring& command) {
    SetString(HKEY_CLASSES_ROOT, progId + L"\\Shell\\open\\command", L"", command);
}

class DefaultProgramsOnMajor6 : public OnMajor<6> {};

TEST_F(DefaultProgramsOnMajor6, WritesEveryRowInAnEmptyRegistryButThoseForExistingKeysOnly) {
    // Value by value, with types and stored sizes: the two rows that need
    // an existing key (registered applications, MUI cache) write nothing.
    AssociationChanges changes;
    EXPECT_EQ(SetDefault(Browser{}, true), 1);
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(LayoutInEmptyRegistry(true)));
    EXPECT_EQ(changes.Count(), 2) << "one notification and one flush";
}

TEST_F(DefaultProgramsOnMajor6, WritesTheRegisteredApplicationAndMuiCacheWhereTheirKeysExist) {
    // Rows that write only into existing keys land once the keys are there.
    CreateKey(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    CreateKey(HKEY_CURRENT_USER, kMuiCache);
    EXPECT_EQ(SetDefault(Browser{}, false), 1);
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(Plus(
                            LayoutInEmptyRegistry(false),
                            {Sz(L"HKLM\\" + kRegisteredApplications, L"Quorvel",
                                L"Software\\Clients\\StartMenuInternet\\Quorvel\\Capabilities"),
                             Sz(L"HKCU\\" + kMuiCache, kExe, L"Quorvel Browser")})));
}

TEST_F(DefaultProgramsOnMajor6, IgnoresTheModeFlags) {
    // The flags choose variants of the classic layout only.
    SetDefault(Browser{}, false, 0);
    const Lines withoutFlags = Dump();
    for (unsigned flags : {0x4u, 0x5u, 0x7u, 0xFFFFFFFFu}) {
        FreshRegistry();
        EXPECT_EQ(SetDefault(Browser{}, false, flags), 1);
        EXPECT_EQ(Dump(), withoutFlags) << "mode flags " << flags;
    }
}

TEST_F(DefaultProgramsOnMajor6, ReplacesFileTypeChoicesWholeAndWritesOverProtocolChoices) {
    // A file type's choice is deleted first, so other values in it go;
    // a protocol's choice keeps them.
    SetString(HKEY_CURRENT_USER, kFileExts + L".htm\\UserChoice", L"Progid", L"OtherHTML");
    SetString(HKEY_CURRENT_USER, kFileExts + L".htm\\UserChoice", L"Hash", L"htm-hash");
    SetString(HKEY_CURRENT_USER, kUrlAssociations + L"http\\UserChoice", L"Progid", L"OtherHTTP");
    SetString(HKEY_CURRENT_USER, kUrlAssociations + L"http\\UserChoice", L"Hash", L"http-hash");
    SetDefault(Browser{});
    const Lines dump = Dump();
    EXPECT_THAT(dump, Contains(Sz(L"HKCU\\" + kFileExts + L".htm\\UserChoice", L"Progid", L"QuorvelHTML")));
    EXPECT_THAT(dump, Not(Contains(HasSubstr("htm-hash"))));
    EXPECT_THAT(dump, Contains(HasSubstr("http-hash")));
}

TEST_F(DefaultProgramsOnMajor6, UnsetHandsEveryChoiceBackToTheSystemBrowser) {
    // With registerClsid the whole per-user class goes; the restore notifies like a layout.
    const std::wstring browserClass = L"Software\\Classes\\" + kBrowserClass;
    SetString(HKEY_CURRENT_USER, browserClass + L"\\LocalServer32", L"", kExe);
    SetString(HKEY_CURRENT_USER, browserClass + L"\\ProgID", L"", L"Quorvel.Application");
    AssociationChanges changes;
    EXPECT_EQ(SetSystemDefault(true), 1);
    EXPECT_THAT(Dump(),
                UnorderedElementsAreArray(Plus(SystemBrowserChoices(), {EmptyKey(L"HKCU\\Software\\Classes\\CLSID")})));
    EXPECT_EQ(changes.Count(), 2);
}

TEST_F(DefaultProgramsOnMajor6, UnsetDependsOnRegisterClsidAlone) {
    // The browser's arguments do not reach the system browser's restore.
    const std::wstring localServer = L"Software\\Classes\\" + kBrowserClass + L"\\LocalServer32";
    SetString(HKEY_CURRENT_USER, localServer, L"", kExe);
    SetSystemDefault(false);
    EXPECT_THAT(Dump(),
                UnorderedElementsAreArray(Plus(SystemBrowserChoices(), {Sz(L"HKCU\\" + localServer, L"", kExe)})));
    const Lines restored = Dump();

    Browser other;
    other.exe = L"D:\\elsewhere.exe";
    other.client = L"Elsewhere";
    other.progId = L"ElsewhereHTML";
    FreshRegistry();
    SetString(HKEY_CURRENT_USER, localServer, L"", kExe);
    SetSystemDefault(false, other);
    EXPECT_EQ(Dump(), restored);
}

TEST_F(DefaultProgramsOnMajor6, DetectsItsRegistrationUntilAnyChoiceNamesAnotherClass) {
    // Set, detect, change one choice at a time, unset.
    const Browser browser;
    SetDefault(browser, true);
    ShowClassInClassesRoot(browser.progId, kOpenCommand);
    ASSERT_EQ(IsDefault(browser, true), 1);

    const std::pair<std::wstring, std::wstring> choices[] = {
        {kFileExts + L".htm\\UserChoice", L"Progid"},
        {kFileExts + L".html\\UserChoice", L"Progid"},
        {kUrlAssociations + L"http\\UserChoice", L"Progid"},
        {kUrlAssociations + L"https\\UserChoice", L"Progid"},
    };
    for (const auto& [key, value] : choices) {
        SetString(HKEY_CURRENT_USER, key, value, L"IE.HTTP");
        EXPECT_EQ(IsDefault(browser), 0) << std::string(key.begin(), key.end());
        SetString(HKEY_CURRENT_USER, key, value, L"quorvelhtml");
        EXPECT_EQ(IsDefault(browser), 1) << "letter case does not matter";
    }
    SetString(HKEY_CURRENT_USER, kFileExts + L".mht\\UserChoice", L"Progid", L"IE.AssocFile.MHT");
    EXPECT_EQ(IsDefault(browser), 1) << ".mht is not tested";

    SetString(HKEY_CURRENT_USER, L"Software\\Classes\\" + kBrowserClass + L"\\LocalServer32", L"", L"C:\\x.exe");
    EXPECT_EQ(IsDefault(browser, true), 0);
    EXPECT_EQ(IsDefault(browser, false), 1) << "the local server is read only when asked";

    SetSystemDefault(false);
    EXPECT_EQ(IsDefault(browser), 0) << "after the system browser took the role back";
}

TEST_F(DefaultProgramsOnMajor6, AMissingClassFailsAlthoughEveryChoiceNamesIt) {
    // The class must exist under HKEY_CLASSES_ROOT itself.
    const Browser browser;
    SetDefault(browser);
    ASSERT_EQ(IsDefault(browser), 0) << "the per-user class alone is not enough here";
    ShowClassInClassesRoot(browser.progId, kOpenCommand);
    EXPECT_EQ(IsDefault(browser), 1);
}

TEST_F(DefaultProgramsOnMajor6, RemovalLeavesTheSystemBrowserAndNoTraceOfTheClient) {
    // Set then remove: what stays is the system browser's choices, the
    // per-user file types and the two entries no removal row touches.
    CreateKey(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    CreateKey(HKEY_CURRENT_USER, kMuiCache);
    SetString(HKEY_CURRENT_USER, L"Software\\Classes\\http\\shell\\other\\command", L"", L"other.exe");
    const Browser browser;
    SetDefault(browser, true);
    AssociationChanges changes;
    EXPECT_EQ(Remove(browser, true), 1);
    EXPECT_EQ(changes.Count(), 2) << "only the restore notifies";
    EXPECT_THAT(Dump(), UnorderedElementsAreArray(Plus(
                            SystemBrowserChoices(),
                            {EmptyKey(L"HKLM\\" + kRegisteredApplications),
                             EmptyKey(L"HKLM\\Software\\Clients\\StartMenuInternet"),
                             EmptyKey(L"HKCU\\Software\\Classes\\CLSID"),
                             Sz(L"HKCU\\" + kMuiCache, kExe, L"Quorvel Browser"),
                             Sz(L"HKCU\\Software\\Classes\\.htm", L"", L"QuorvelHTML"),
                             Sz(L"HKCU\\Software\\Classes\\.html", L"", L"QuorvelHTML")})));
}

TEST_F(DefaultProgramsOnMajor6, RemovalLeavesAnotherExecutablesRegistrationInPlace) {
    // Ownership is the client's open command, compared without regard to case.
    Browser browser;
    SetDefault(browser);
    const Lines registered = Dump();
    Browser other = browser;
    other.exe = L"C:\\Program Files\\Quorvel\\quorvel-beta.exe";
    EXPECT_EQ(Remove(other), 1);
    EXPECT_EQ(Dump(), registered);

    Browser sameInOtherCase = browser;
    sameInOtherCase.exe = L"c:\\PROGRAM FILES\\quorvel\\QUORVEL.EXE";
    CreateKey(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    EXPECT_EQ(Remove(sameInOtherCase), 1);
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("StartMenuInternet\\Quorvel"))));
}

TEST_F(DefaultProgramsOnMajor6, RemovalWithoutRegisteredApplicationsFailsAfterRestoring) {
    // The missing key is only found at the end, after the restore and the first deletions.
    const Browser browser;
    SetDefault(browser);
    EXPECT_EQ(Remove(browser), 0);
    const Lines dump = Dump();
    EXPECT_THAT(dump,
                Contains(Sz(L"HKCU\\" + kUrlAssociations + L"http\\UserChoice", L"Progid", L"IE.HTTP")));
    EXPECT_THAT(dump, Not(Contains(HasSubstr("StartMenuInternet\\Quorvel"))));
    EXPECT_THAT(dump, Contains(HasSubstr("HKCU\\Software\\Classes\\http\\shell")))
        << "the per-user protocol classes are deleted after the registered application only";
}

TEST_F(DefaultProgramsOnMajor6, RefusesARegistrationWithoutItsNames) {
    // Without an executable, a client or a class the layout would delete the
    // user's file-type choices and write empty ones in their place.
    SetString(HKEY_CURRENT_USER, kFileExts + L".htm\\UserChoice", L"Progid", L"OtherHTML");
    const Lines before = Dump();
    for (std::wstring Browser::*name : {&Browser::exe, &Browser::client, &Browser::progId}) {
        Browser nameless;
        nameless.*name = L"";
        EXPECT_EQ(SetDefault(nameless), 0);
    }
    EXPECT_EQ(shell_registration::SetDefaultBrowser(1, kExe.c_str(), L"Quorvel", nullptr, L"icons.dll", 0, 0,
                                                    L"QuorvelHTML", false, 0),
              0);
    EXPECT_EQ(Dump(), before);

    Browser unnamedDisplay;
    unnamedDisplay.display = L"";
    EXPECT_EQ(SetDefault(unnamedDisplay), 1) << "an empty display name is still a name";
    EXPECT_THAT(Dump(), Contains(Sz(kClientKey + L"\\Capabilities\\Startmenu", L"StartMenuInternet", L"")));
}

TEST_F(DefaultProgramsOnMajor6, OverlongTextIsSkippedNeverCutShort) {
    // A path of 253 characters fits; its quoted command (260) and install
    // command (267) do not, and no other row is held back by them.
    Browser browser;
    browser.exe = L"C:\\" + std::wstring(250, L'q');
    EXPECT_EQ(SetDefault(browser, true), 1);
    const Lines dump = Dump();
    EXPECT_THAT(dump, Contains(Sz(kClientKey + L"\\Shell\\open\\command", L"", browser.exe)));
    EXPECT_THAT(dump, Contains(
                          Sz(L"HKCU\\Software\\Classes\\" + kBrowserClass + L"\\LocalServer32", L"", browser.exe)));
    EXPECT_THAT(dump, Not(Contains(HasSubstr("\"\"C:\\q"))))
        << "no value starts with the quoted path";
    EXPECT_THAT(dump,
                IsSupersetOf({Sz(kClientKey + L"\\Capabilities", L"ApplicationName", L"Quorvel Browser"),
                                         Sz(L"HKCU\\Software\\Classes\\http\\shell", L"", L"QuorvelHTML")}));

    // A client name that makes the client key's path too long: the ownership
    // test cannot read it, so nothing is removed.
    Browser longClient;
    longClient.client = std::wstring(230, L'c');
    FreshRegistry();
    EXPECT_EQ(SetDefault(longClient), 1);
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("StartMenuInternet\\ccc"))));
    EXPECT_THAT(Dump(), Contains(Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", longClient.client)));
    const Lines registered = Dump();
    EXPECT_EQ(Remove(longClient), 0);
    EXPECT_EQ(Dump(), registered);
}

}  // namespace
