#include "shell_registration/browser_fields.h"

#include <string>

namespace shell_registration {

Fields BrowserFields(const BrowserArguments& arguments) {
    Fields fields;
    fields.Set(L"exe", Argument(arguments.exePath));
    fields.Set(L"client", Argument(arguments.clientName));
    fields.Set(L"display", Argument(arguments.displayName));
    fields.Set(L"progid", Argument(arguments.progId));
    fields.Set(L"iconfile", Argument(arguments.iconPath));
    fields.Set(L"docindex", std::to_wstring(arguments.documentIconIndex));
    fields.Set(L"appindex", std::to_wstring(arguments.appIconIndex));

    fields.Set(L"cmd", fields.Expand(L"\"{exe}\" \"%1\"", Slot::Data, kMaxTextLength));
    fields.Set(L"setdef", fields.Expand(L"\"{exe}\" -SetDefault", Slot::Data, kMaxTextLength));
    fields.Set(L"docicon", fields.Expand(L"{iconfile},{docindex}", Slot::Data, kMaxTextLength));
    fields.Set(L"appicon", fields.Expand(L"{iconfile},{appindex}", Slot::Data, kMaxTextLength));
    return fields;
}

}  // namespace shell_registration
