#include "shell_registration/browser_fields.h"
#include "shell_registration/layouts.h"
#include "shell_registration/platform_generation.h"
#include "shell_registration/shell_registration.h"

namespace shell_registration {
namespace {

// The executable, the client and the class are what the layout is about: a
// registration without one of them would replace the user's choices with
// nothing.
bool NonEmpty(const wchar_t* text) { return text != nullptr && *text != L'\0'; }

}  // namespace

int SetDefaultBrowser(int set, const wchar_t* exePath, const wchar_t* clientName, const wchar_t* displayName,
                      const wchar_t* iconPath, int documentIconIndex, int appIconIndex, const wchar_t* progId,
                      bool registerClsid, unsigned modeFlags) {
    const Generation generation = ReportedGeneration();
    if (generation == Generation::Other) return 0;
    if (set == 0) {
        RestoreSystemBrowser(generation, registerClsid);
        return 1;
    }
    if (!NonEmpty(exePath) || !NonEmpty(clientName) || !NonEmpty(progId)) return 0;
    if (displayName == nullptr || iconPath == nullptr) return 0;
    const Fields fields = BrowserFields(
        {exePath, clientName, displayName, iconPath, documentIconIndex, appIconIndex, progId});
    if (generation == Generation::Classic)
        WriteClassicLayout(fields, registerClsid, modeFlags);
    else
        WriteDefaultProgramsLayout(fields, registerClsid);
    return 1;
}

}  // namespace shell_registration
