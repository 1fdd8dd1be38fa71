#pragma once

#include <cstddef>

#include "shell_registration/text_template.h"

namespace shell_registration {

// The longest key path, value name or string this module writes or accepts
// as a match: what the browser and the shell read such entries into.
// Longer text is never written cut short; its row is skipped instead.
constexpr std::size_t kMaxTextLength = 259;

// The browser's description of itself, as its callers pass it. A null
// pointer leaves its field, and every row that uses it, out.
struct BrowserArguments {
    const wchar_t* exePath = nullptr;
    const wchar_t* clientName = nullptr;
    const wchar_t* displayName = nullptr;
    const wchar_t* iconPath = nullptr;
    int documentIconIndex = 0;
    int appIconIndex = 0;
    const wchar_t* progId = nullptr;
};

// {exe} {client} {display} {progid}, and the texts composed from them:
//   {cmd}     "{exe}" "%1"        the open command of every class
//   {setdef}  "{exe}" -SetDefault the client's install commands
//   {docicon} icon file and document icon index
//   {appicon} icon file and application icon index
Fields BrowserFields(const BrowserArguments& arguments);

}  // namespace shell_registration
