#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "frame/unique_object.h"
#include "host/library.h"

namespace {

size_t ThreadsOfThisProcess() {
    const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    size_t count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    return count;
}

// The identifier under which `name` sits in the session's table of
// registered messages, found without registering it from this process.
UINT FindRegisteredMessage(const char* name) {
    char found[256];
    for (UINT id = 0xC000; id <= 0xFFFF; ++id)
        if (GetClipboardFormatNameA(id, found, sizeof found) > 0 && std::strcmp(found, name) == 0) return id;
    return 0;
}

}  // namespace

// Loading registers the three animation messages by name (the ids every
// process gets for those names), and unloading leaves no thread behind.
TEST(ModuleLifecycle, LoadRegistersTheAnimationMessagesAndUnloadLeavesNoThread) {
    // Wine may start helper threads of its own on the first user32 call; let
    // it do so before counting.
    char warmUp[8];
    GetClipboardFormatNameA(0xC000, warmUp, sizeof warmUp);
    const size_t threadsBefore = ThreadsOfThisProcess();
    {
        ReriduLibrary library;
        ASSERT_TRUE(library.loaded()) << std::string(library.error().begin(), library.error().end());
        for (const char* name : {"kt_animation_start", " kt_animation_frame", "kt_animation_end"}) {
            const UINT registered = FindRegisteredMessage(name);
            EXPECT_NE(registered, 0u) << "'" << name << "' is not registered";
            EXPECT_EQ(registered, RegisterWindowMessageA(name)) << name;
        }
    }
    EXPECT_EQ(GetModuleHandleW(L"ReRidu.dll"), nullptr) << "the library is still loaded";
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
}

TEST(ModuleLifecycle, LoadsAgainAfterUnload) {
    for (int round = 0; round < 3; ++round) {
        ReriduLibrary library;
        ASSERT_TRUE(library.loaded());
        EXPECT_NE(library.Get<void()>("Base64_Encode"), nullptr);
    }
}
