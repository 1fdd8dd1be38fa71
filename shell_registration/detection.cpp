#include <optional>
#include <string>

#include "shell_registration/browser_fields.h"
#include "shell_registration/platform_generation.h"
#include "shell_registration/registry_paths.h"
#include "frame/registry_key.h"
#include "shell_registration/registry_primitives.h"
#include "shell_registration/registry_rows.h"
#include "shell_registration/shell_registration.h"

namespace shell_registration {
namespace {

using namespace notation;

// One test: the key must open and, when `expected` is given, the value must
// equal it apart from letter case.
struct Check {
    Root root;
    const wchar_t* key;
    const wchar_t* value;     // null: the key's default value
    const wchar_t* expected;  // null: the key's existence is enough
    When when = When::Always;
};

constexpr Check kProgIdCommand[] = {
    //     key                                 value    must equal
    {HKCR, L"{progid}\\Shell\\open\\command",  Default, L"{cmd}"},
};

constexpr Check kClassicChecks[] = {
    //     key                                 value    must equal
    {HKCR, L".html",                           Default, L"{progid}"},
    {HKCR, L"http\\shell",                     Default, L"{client}"},
    {HKCR, BROWSER_CLASS L"\\LocalServer32\\", Default, L"{exe}", WithClsid},
};

constexpr Check kDefaultProgramsChecks[] = {
    //     key                                              value      must equal (none: the key must exist)
    {HKCR, L"{progid}",                                     Default,   nullptr},
    {HKCU, FILE_EXTS L".htm\\UserChoice",                   L"Progid", L"{progid}"},
    {HKCU, FILE_EXTS L".html\\UserChoice",                  L"Progid", L"{progid}"},
    {HKCU, URL_ASSOCIATIONS L"http\\UserChoice",            L"Progid", L"{progid}"},
    {HKCU, URL_ASSOCIATIONS L"https\\UserChoice",           L"Progid", L"{progid}"},
    {HKCU, USER_CLASSES BROWSER_CLASS L"\\LocalServer32\\", Default,   L"{exe}", WithClsid},
};

bool Passes(const Check& check, const Fields& fields) {
    const std::optional<std::wstring> key = fields.Expand(check.key, Slot::KeyPath, kMaxTextLength);
    if (!key) return false;
    if (check.expected == nullptr) return RegistryKey::Open(ToHkey(check.root), *key).has_value();
    const std::optional<std::wstring> name =
        check.value == nullptr ? std::wstring() : fields.Expand(check.value, Slot::ValueName, kMaxTextLength);
    const std::optional<std::wstring> expected = fields.Expand(check.expected, Slot::Data, kMaxTextLength);
    return name && expected &&
           CompareString(ToHkey(check.root), *key, *name, *expected, kMaxTextLength) == Comparison::Equal;
}

template <std::size_t N>
bool AllPass(const Check (&checks)[N], const Fields& fields, bool checkClsid) {
    for (const Check& check : checks) {
        if (check.when == When::WithClsid && !checkClsid) continue;
        if (!Passes(check, fields)) return false;
    }
    return true;
}

}  // namespace

int IsDefaultBrowser(const wchar_t* clientName, const wchar_t* exePath, const wchar_t* progId, bool checkClsid) {
    BrowserArguments arguments;
    arguments.clientName = clientName;
    arguments.exePath = exePath;
    arguments.progId = progId;
    const Fields fields = BrowserFields(arguments);
    if (!AllPass(kProgIdCommand, fields, checkClsid)) return 0;
    switch (ReportedGeneration()) {
        case Generation::Classic:
            return AllPass(kClassicChecks, fields, checkClsid) ? 1 : 0;
        case Generation::DefaultPrograms:
            return AllPass(kDefaultProgramsChecks, fields, checkClsid) ? 1 : 0;
        case Generation::Other:
            break;
    }
    return 1;
}

}  // namespace shell_registration
