#pragma once
// What every test of the browser registration shares: the exports called as
// the browser calls them, a browser to register, the scratch registry, and
// fixtures that run a suite only under the platform generation it is about.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/unique_object.h"
#include "tests/support/registry_dump.h"
#include "tests/support/scratch_registry.h"

// The arguments the browser registers itself with.
struct Browser {
    std::wstring exe = L"C:\\Program Files\\Quorvel\\quorvel.exe";
    std::wstring client = L"Quorvel";
    std::wstring display = L"Quorvel Browser";
    std::wstring icons = L"C:\\Program Files\\Quorvel\\icons.dll";
    int documentIcon = 2;
    int appIcon = -101;
    std::wstring progId = L"QuorvelHTML";
};

// ReRidu.dll's exports.
int SetDefault(const Browser& browser, bool registerClsid = false, unsigned modeFlags = 0);
int SetSystemDefault(bool registerClsid, const Browser& ignored = {});
int IsDefault(const Browser& browser, bool checkClsid = false);
int Remove(const Browser& browser, bool registerClsid = false);
int SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description);

// The major version GetVersionExW reports to this process.
DWORD ReportedMajorVersion();

// Counts the association-changed notifications this process sends.
class AssociationChanges {
public:
    AssociationChanges();
    ~AssociationChanges();
    AssociationChanges(const AssociationChanges&) = delete;
    AssociationChanges& operator=(const AssociationChanges&) = delete;

    // Delivers what is pending and returns the count so far.
    int Count();

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UniqueWindow window_;
    ULONG registration_ = 0;
    int count_ = 0;
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Replaces the scratch registry with an empty one.
    void FreshRegistry();
    std::vector<std::string> Dump() const { return registry_->Dump(); }

    std::unique_ptr<ScratchRegistry> registry_;
};

// Suites named ...OnMajor5 and ...OnMajor6 are about one generation, and
// ...OnOtherMajors about those without a layout; CTest runs each copy of the
// program with the suites of its reported version only.
template <DWORD Major>
class OnMajor : public RegistryTest {
protected:
    void SetUp() override {
        if (ReportedMajorVersion() != Major) GTEST_SKIP() << "needs a reported major version of " << Major;
        RegistryTest::SetUp();
    }
};

class OnOtherMajors : public RegistryTest {
protected:
    void SetUp() override {
        const DWORD major = ReportedMajorVersion();
        if (major == 5 || major == 6) GTEST_SKIP() << "needs a reported major version other than 5 and 6";
        RegistryTest::SetUp();
    }
};

using Lines = std::vector<std::string>;

// A dump kept in registry_layouts/NAME.txt beside the program.
Lines Golden(const std::wstring& name);
Lines Plus(Lines lines, const Lines& more);
// The lines that start with `prefix`, or those that do not.
Lines Under(const Lines& lines, const std::string& prefix);
Lines Without(const Lines& lines, const std::string& prefix);

// What the default Browser's arguments compose to.
inline const std::wstring kExe = L"C:\\Program Files\\Quorvel\\quorvel.exe";
inline const std::wstring kOpenCommand = L"\"C:\\Program Files\\Quorvel\\quorvel.exe\" \"%1\"";
inline const std::wstring kSetDefaultCommand = L"\"C:\\Program Files\\Quorvel\\quorvel.exe\" -SetDefault";
inline const std::wstring kDocumentIcon = L"C:\\Program Files\\Quorvel\\icons.dll,2";
inline const std::wstring kAppIcon = L"C:\\Program Files\\Quorvel\\icons.dll,-101";

inline const std::wstring kFileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
inline const std::wstring kUrlAssociations = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\";
inline const std::wstring kBrowserClass = L"CLSID\\{0002DF01-0000-0000-C000-000000000046}";
