// The classic layout's mode 0x5 gives http and https back their saved keys
// from hive files beside the program. RegRestoreKeyW does nothing under Wine,
// so these tests call the module directly with a stand-in behind its seam
// that records each forced restore and marks the key it was handed.
#include <shlwapi.h>

#include "shell_registration/key_restore.h"
#include "shell_registration/shell_registration.h"
#include "tests/shell_registration/harness.h"
#include "tests/support/test_files.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::StartsWith;

const wchar_t* const kBackupFiles[] = {L"http.DefaultIcon.imp", L"http.shell.imp", L"https.DefaultIcon.imp",
                                       L"https.shell.imp"};
std::vector<std::wstring> g_restored;  // the file names, in order

LONG RecordRestore(HKEY key, const wchar_t* file, DWORD flags) {
    const wchar_t* name = PathFindFileNameW(file);
    g_restored.push_back(flags == REG_FORCE_RESTORE ? name : L"unforced " + std::wstring(name));
    return RegSetValueExW(key, L"RestoredFrom", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                          static_cast<DWORD>(wcslen(name) * sizeof(wchar_t)));
}

class ProtocolBackupsOnMajor5 : public OnMajor<5> {
protected:
    void SetUp() override {
        OnMajor<5>::SetUp();
        if (IsSkipped()) return;
        shell_registration::ReplaceKeyRestore(RecordRestore);
        SetString(HKEY_CLASSES_ROOT, L"http\\shell\\vendor\\command", L"", L"vendor.exe");
        SetString(HKEY_CLASSES_ROOT, L"http\\DefaultIcon", L"", L"url.dll,0", REG_EXPAND_SZ);
    }
    void TearDown() override {
        shell_registration::ReplaceKeyRestore(nullptr);
        for (const wchar_t* name : kBackupFiles) DeleteFileW(BesideProgram(name).c_str());
    }

    static int SetWithBackups(std::initializer_list<const wchar_t*> files) {
        g_restored.clear();
        for (const wchar_t* name : files) WriteBytes(BesideProgram(name), {'r', 'e', 'g', 'f'});
        const Browser b;
        return shell_registration::SetDefaultBrowser(1, b.exe.c_str(), b.client.c_str(), b.display.c_str(),
                                                     b.icons.c_str(), b.documentIcon, b.appIcon, b.progId.c_str(),
                                                     false, 0x5);
    }
    static bool Kept(const wchar_t* name) { return PathFileExistsW(BesideProgram(name).c_str()); }
};

TEST_F(ProtocolBackupsOnMajor5, RestoresEachProtocolKeyFromItsFileThenDeletesTheFile) {
    // A key that cannot be opened (https's, at first) keeps its file. The
    // backups count as restored, so the protocol step is over: its rows are
    // not written and the verbs stay, between the classes and client steps.
    EXPECT_EQ(SetWithBackups({kBackupFiles[0], kBackupFiles[1], kBackupFiles[2], kBackupFiles[3]}), 1);
    EXPECT_THAT(g_restored, ElementsAre(kBackupFiles[0], kBackupFiles[1]));
    EXPECT_TRUE(Kept(kBackupFiles[2]) && Kept(kBackupFiles[3]));

    CreateKey(HKEY_CLASSES_ROOT, L"https\\DefaultIcon");
    CreateKey(HKEY_CLASSES_ROOT, L"https\\shell");
    EXPECT_EQ(SetWithBackups({kBackupFiles[0], kBackupFiles[1]}), 1);
    EXPECT_THAT(g_restored, ElementsAre(kBackupFiles[0], kBackupFiles[1], kBackupFiles[2], kBackupFiles[3]));
    for (const wchar_t* name : kBackupFiles) EXPECT_FALSE(Kept(name));
    EXPECT_THAT(Dump(), IsSupersetOf({Sz(L"HKCR\\http\\DefaultIcon", L"RestoredFrom", kBackupFiles[0]),
                                      Sz(L"HKCR\\http\\shell", L"RestoredFrom", kBackupFiles[1]),
                                      Sz(L"HKCR\\https\\DefaultIcon", L"RestoredFrom", kBackupFiles[2]),
                                      Sz(L"HKCR\\https\\shell", L"RestoredFrom", kBackupFiles[3]),
                                      Sz(L"HKCR\\http\\shell\\vendor\\command", L"", L"vendor.exe"),
                                      Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand),
                                      Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", L"Quorvel")}));
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("shell\\Quorvel"))));
}

TEST_F(ProtocolBackupsOnMajor5, WithoutTheFirstFileHttpVerbsAreRebuiltFromNothing) {
    // The other files are not looked at. http's verbs are deleted, so its
    // default verb, written only into an existing key, is not set; after a
    // pause the browser's verb is created.
    const DWORD start = GetTickCount();
    EXPECT_EQ(SetWithBackups({kBackupFiles[1], kBackupFiles[3]}), 1);
    EXPECT_GE(GetTickCount() - start, 4900u);
    EXPECT_TRUE(g_restored.empty() && Kept(kBackupFiles[1]));
    EXPECT_THAT(Dump(), Not(Contains(HasSubstr("vendor"))));
    EXPECT_THAT(Dump(), Not(Contains(StartsWith("HKCR\\http\\shell : "))));
    EXPECT_THAT(Dump(), IsSupersetOf({Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand),
                                      ExpandSz(L"HKCR\\http\\DefaultIcon", L"", kDocumentIcon),
                                      Sz(L"HKCR\\https\\shell\\Quorvel\\command", L"", kOpenCommand)}));
}

}  // namespace
