#include <cstddef>
#include <string>

#include "shell_registration/change_notification.h"
#include "shell_registration/registry_rows.h"
#include "shell_registration/shell_registration.h"

namespace shell_registration {
namespace {

using namespace notation;

// Skin packages carry long descriptions and live in deep directories, so
// their texts may be four times as long as the browser's own entries.
constexpr std::size_t kMaxSkinTextLength = 1023;

constexpr Row kSkinAssociation[] = {
    //     key                                      value    data                   op
    {HKCR, L"{extension}",                          Default, Sz(L"{progid}"),       C},
    {HKCR, L"{progid}",                             Default, Sz(L"{description}"),  C},
    {HKCR, L"{progid}\\DefaultIcon",                Default, Sz(L"{icon}"),         C},
    {HKCR, L"{progid}\\Shell\\Open\\Command",       Default, Sz(L"{command}"),      C},
};

}  // namespace

int SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description) {
    Fields fields;
    fields.Set(L"extension", Argument(extension));
    fields.Set(L"exe", Argument(exePath));
    fields.Set(L"progid", Argument(progId));
    fields.Set(L"iconfile", Argument(iconPath));
    fields.Set(L"iconindex", std::to_wstring(iconIndex));
    fields.Set(L"description", Argument(description));
    fields.Set(L"icon", fields.Expand(L"{iconfile},{iconindex}", Slot::Data, kMaxSkinTextLength));
    fields.Set(L"command", fields.Expand(L"\"{exe}\" \"%1\"", Slot::Data, kMaxSkinTextLength));

    ApplyRows(kSkinAssociation, fields, kMaxSkinTextLength);
    NotifyAssociationsChanged(Flush::No);
    return 1;
}

}  // namespace shell_registration
