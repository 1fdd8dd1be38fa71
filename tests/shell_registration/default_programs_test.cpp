// Registration, detection and removal where the platform reports major version 6.
#include <tuple>

#include "shell_registration/shell_registration.h"
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

const std::wstring kRegisteredApplications = L"Software\\RegisteredApplications";
const std::wstring kMuiCache = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const std::wstring kLocalServer = L"Software\\Classes\\" + kBrowserClass + L"\\LocalServer32";

const Browser kOtherBrowser{L"D:\\elsewhere.exe", L"Elsewhere"};  // not the one registered

void SetLocalServer() { SetString(HKEY_CURRENT_USER, kLocalServer, L"", kExe); }

// The two rows that write only into keys that exist.
void CreateKeysOfExistingKeyRows() {
    CreateKey(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    CreateKey(HKEY_CURRENT_USER, kMuiCache);
}

// HKEY_CLASSES_ROOT shows the per-user classes merged in on Windows; the
// scratch roots are apart, so detection tests put the class where that view
// shows it.
void ShowClassInClassesRoot(const std::wstring& progId) {
    SetString(HKEY_CLASSES_ROOT, progId + L"\\Shell\\open\\command", L"", kOpenCommand);
}

class DefaultProgramsOnMajor6 : public OnMajor<6> {};

TEST_F(DefaultProgramsOnMajor6, SetUnsetAndRemoveWriteTheLayoutRowByRow) {
    // Value by value, and one notification and one flush a layout. The flags
    // choose variants of the classic layout only; the restore takes the
    // per-user class with registerClsid only, and no argument of the browser's.
    // Removal leaves the per-user file types and what no removal row touches.
    const Lines layout = Golden(L"default_programs_in_empty_registry");
    const Lines withoutClass = Without(layout, "HKCU\\Software\\Classes\\CLSID");
    const Lines restored = Golden(L"system_browser_choices");
    const std::tuple<void (*)(), int (*)(), Lines, int> cases[] = {
        {[] {}, [] { return SetDefault(Browser{}, true); }, layout, 2},
        {[] {}, [] { return SetDefault(Browser{}, false, 0xFFFFFFFF); }, withoutClass, 2},
        {CreateKeysOfExistingKeyRows, [] { return SetDefault(Browser{}, false, 0x7); },
         Plus(withoutClass, {Sz(L"HKCU\\" + kMuiCache, kExe, L"Quorvel Browser"),
                             Sz(L"HKLM\\" + kRegisteredApplications, L"Quorvel",
                                L"Software\\Clients\\StartMenuInternet\\Quorvel\\Capabilities")}),
         2},
        {SetLocalServer, [] { return SetSystemDefault(true, kOtherBrowser); },
         Plus(restored, {EmptyKey(L"HKCU\\Software\\Classes\\CLSID")}), 2},
        {SetLocalServer, [] { return SetSystemDefault(false, kOtherBrowser); },
         Plus(restored, {Sz(L"HKCU\\" + kLocalServer, L"", kExe)}), 2},
        {[] {
             CreateKeysOfExistingKeyRows();
             SetString(HKEY_CURRENT_USER, L"Software\\Classes\\http\\shell\\other\\command", L"", L"other.exe");
         },
         [] { return SetDefault(Browser{}, true) == 1 ? Remove(Browser{}, true) : 0; },
         Golden(L"default_programs_removed"), 4},
    };
    for (const auto& [prepare, act, expected, notifications] : cases) {
        FreshRegistry();
        prepare();
        AssociationChanges changes;
        EXPECT_EQ(act(), 1);
        EXPECT_EQ(changes.Count(), notifications);
        EXPECT_THAT(Dump(), UnorderedElementsAreArray(expected));
    }
}

TEST_F(DefaultProgramsOnMajor6, ReplacesFileTypeChoicesWholeAndWritesOverProtocolChoices) {
    // A file type's choice is deleted first, so other values in it go;
    // a protocol's choice keeps them.
    SetString(HKEY_CURRENT_USER, kFileExts + L".htm\\UserChoice", L"Hash", L"htm-hash");
    SetString(HKEY_CURRENT_USER, kUrlAssociations + L"http\\UserChoice", L"Hash", L"http-hash");
    SetDefault(Browser{});
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("htm-hash"))));
    EXPECT_THAT(Dump(), Contains(HasSubstr("http-hash")));
}

TEST_F(DefaultProgramsOnMajor6, DetectsItsRegistrationUntilAnyChoiceNamesAnotherClass) {
    // The class must exist under HKEY_CLASSES_ROOT itself; .mht is not
    // tested, and the local server only when asked.
    const Browser browser;
    SetDefault(browser, true);
    EXPECT_EQ(IsDefault(browser, true), 0) << "the per-user class alone is not enough";
    ShowClassInClassesRoot(browser.progId);
    ASSERT_EQ(IsDefault(browser, true), 1);

    for (const std::wstring& key : {kFileExts + L".htm", kFileExts + L".html", kUrlAssociations + L"http",
                                   kUrlAssociations + L"https"}) {
        SetString(HKEY_CURRENT_USER, key + L"\\UserChoice", L"Progid", L"IE.HTTP");
        EXPECT_EQ(IsDefault(browser), 0) << std::string(key.begin(), key.end());
        SetString(HKEY_CURRENT_USER, key + L"\\UserChoice", L"Progid", L"quorvelhtml");
        EXPECT_EQ(IsDefault(browser), 1) << "letter case does not matter";
    }
    SetString(HKEY_CURRENT_USER, kFileExts + L".mht\\UserChoice", L"Progid", L"IE.AssocFile.MHT");
    SetString(HKEY_CURRENT_USER, kLocalServer, L"", L"C:\\x.exe");
    EXPECT_EQ(IsDefault(browser, false), 1);
    EXPECT_EQ(IsDefault(browser, true), 0);
}

TEST_F(DefaultProgramsOnMajor6, RemovalTakesOnlyItsOwnExecutablesRegistration) {
    // Ownership is the client's open command, compared without regard to
    // case; without registered applications, removal fails at the end,
    // after the restore and the client's deletion.
    Browser browser;
    SetDefault(browser);
    const Lines registered = Dump();
    Browser other = browser;
    other.exe = L"C:\\Program Files\\Quorvel\\quorvel-beta.exe";
    EXPECT_EQ(Remove(other), 1);
    EXPECT_EQ(Dump(), registered);

    browser.exe = L"c:\\PROGRAM FILES\\quorvel\\QUORVEL.EXE";
    EXPECT_EQ(Remove(browser), 0);
    EXPECT_THAT(Dump(), Contains(Sz(L"HKCU\\" + kUrlAssociations + L"http\\UserChoice", L"Progid", L"IE.HTTP")));
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("StartMenuInternet\\Quorvel"))));
    EXPECT_THAT(Dump(), Contains(HasSubstr("HKCU\\Software\\Classes\\http\\shell")))
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
}

}  // namespace
