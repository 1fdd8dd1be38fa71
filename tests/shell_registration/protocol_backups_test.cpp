// The classic layout's mode 0x5 gives http and https back their saved keys
// from hive files beside the program. RegRestoreKeyW does nothing under Wine,
// so these tests call the module directly with a stand-in behind its seam
// that records each call and marks the key it was handed.
#include <shlwapi.h>

#include "shell_registration/key_restore.h"
#include "shell_registration/shell_registration.h"
#include "tests/shell_registration/harness.h"
#include "tests/support/test_files.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsSupersetOf;
using ::testing::Not;

const wchar_t* const kBackupFiles[] = {L"http.DefaultIcon.imp", L"http.shell.imp", L"https.DefaultIcon.imp",
                                       L"https.shell.imp"};

struct RestoreCall {
    std::wstring file;
    DWORD flags;
};
std::vector<RestoreCall> g_restores;

// Marks the key with the name of its file, which also shows the key is writable.
LONG RecordRestore(HKEY key, const wchar_t* file, DWORD flags) {
    g_restores.push_back({file, flags});
    const wchar_t* name = PathFindFileNameW(file);
    RegSetValueExW(key, L"RestoredFrom", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(wcslen(name) * sizeof(wchar_t)));
    return ERROR_SUCCESS;
}

int SetWithBackups(const Browser& b) {
    return shell_registration::SetDefaultBrowser(1, b.exe.c_str(), b.client.c_str(), b.display.c_str(),
                                                 b.icons.c_str(), b.documentIcon, b.appIcon, b.progId.c_str(), false,
                                                 0x5);
}

class ProtocolBackupsOnMajor5 : public OnMajor<5> {
protected:
    void SetUp() override {
        OnMajor<5>::SetUp();
        if (IsSkipped()) return;
        g_restores.clear();
        shell_registration::ReplaceKeyRestore(RecordRestore);
        RemoveBackups();
        SetString(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", L"iexplore.exe -nohome");
        SetString(HKEY_CLASSES_ROOT, L"http\\shell\\vendor\\command", L"", L"vendor.exe");
        SetString(HKEY_CLASSES_ROOT, L"http\\DefaultIcon", L"", L"url.dll,0", REG_EXPAND_SZ);
    }

    void TearDown() override {
        shell_registration::ReplaceKeyRestore(nullptr);
        RemoveBackups();
    }

    static std::wstring Backup(const wchar_t* name) { return BesideProgram(name); }
    static void WriteBackup(const wchar_t* name) { WriteBytes(Backup(name), {'r', 'e', 'g', 'f'}); }

    static void RemoveBackups() {
        for (const wchar_t* name : kBackupFiles) DeleteFileW(Backup(name).c_str());
    }
};

TEST_F(ProtocolBackupsOnMajor5, RestoresEachProtocolKeyFromItsFileThenDeletesTheFile) {
    // Four restores in order, forced, each into its own key; then the
    // protocol step is over: none of its rows is written.
    SetString(HKEY_CLASSES_ROOT, L"https\\DefaultIcon", L"", L"url.dll,0", REG_EXPAND_SZ);
    CreateKey(HKEY_CLASSES_ROOT, L"https\\shell");
    for (const wchar_t* name : kBackupFiles) WriteBackup(name);

    EXPECT_EQ(SetWithBackups(Browser{}), 1);

    ASSERT_EQ(g_restores.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(g_restores[i].file, Backup(kBackupFiles[i])) << i;
        EXPECT_EQ(g_restores[i].flags, static_cast<DWORD>(REG_FORCE_RESTORE)) << i;
        EXPECT_FALSE(PathFileExistsW(Backup(kBackupFiles[i]).c_str())) << "the file stays behind: " << i;
    }
    const std::vector<std::string> dump = Dump();
    EXPECT_THAT(dump, IsSupersetOf({Sz(L"HKCR\\http\\DefaultIcon", L"RestoredFrom", L"http.DefaultIcon.imp"),
                                    Sz(L"HKCR\\http\\shell", L"RestoredFrom", L"http.shell.imp"),
                                    Sz(L"HKCR\\https\\DefaultIcon", L"RestoredFrom", L"https.DefaultIcon.imp"),
                                    Sz(L"HKCR\\https\\shell", L"RestoredFrom", L"https.shell.imp")}));
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\http\\shell\\vendor\\command", L"", L"vendor.exe")))
        << "the verbs are not deleted when there are backups";
    EXPECT_THAT(dump, Not(Contains(::testing::HasSubstr("shell\\Quorvel"))));
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\QuorvelHTML\\shell\\open\\command", L"", kOpenCommand)))
        << "the classes step ran before";
    EXPECT_THAT(dump, Contains(Sz(L"HKCU\\Software\\Clients\\StartMenuInternet", L"", L"Quorvel")))
        << "the client step runs after";
}

TEST_F(ProtocolBackupsOnMajor5, AKeyThatCannotBeOpenedKeepsItsFile) {
    // Without https the two https files are neither restored nor deleted,
    // and the backups still count as restored.
    for (const wchar_t* name : kBackupFiles) WriteBackup(name);
    SetWithBackups(Browser{});
    ASSERT_EQ(g_restores.size(), 2u);
    EXPECT_EQ(g_restores[0].file, Backup(L"http.DefaultIcon.imp"));
    EXPECT_EQ(g_restores[1].file, Backup(L"http.shell.imp"));
    EXPECT_TRUE(PathFileExistsW(Backup(L"https.DefaultIcon.imp").c_str()));
    EXPECT_TRUE(PathFileExistsW(Backup(L"https.shell.imp").c_str()));
    EXPECT_THAT(Dump(), Not(Contains(::testing::HasSubstr("shell\\Quorvel"))));
}

TEST_F(ProtocolBackupsOnMajor5, WithoutTheFirstFileHttpVerbsAreRebuiltFromNothing) {
    // The other three files are not looked at. http's verbs are deleted,
    // so its default verb, written only into an existing key, is not set;
    // after a pause the browser's verb is created.
    WriteBackup(L"http.shell.imp");
    WriteBackup(L"https.shell.imp");
    const DWORD start = GetTickCount();
    EXPECT_EQ(SetWithBackups(Browser{}), 1);
    EXPECT_GE(GetTickCount() - start, 4900u);
    EXPECT_THAT(g_restores, ::testing::IsEmpty());
    EXPECT_TRUE(PathFileExistsW(Backup(L"http.shell.imp").c_str()));

    const std::vector<std::string> dump = Dump();
    EXPECT_THAT(dump, Not(Contains(::testing::HasSubstr("vendor"))));
    EXPECT_THAT(dump, Not(Contains(::testing::StartsWith("HKCR\\http\\shell : "))));
    EXPECT_THAT(dump, Not(Contains(::testing::StartsWith("HKCR\\http\\shell\\open"))));
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\http\\shell\\Quorvel\\command", L"", kOpenCommand)));
    EXPECT_THAT(dump, Contains(ExpandSz(L"HKCR\\http\\DefaultIcon", L"", kDocumentIcon)));
    EXPECT_THAT(dump, Contains(Sz(L"HKCR\\https\\shell\\Quorvel\\command", L"", kOpenCommand)));
}

}  // namespace
