#include <cerrno>
#include <initializer_list>
#include <limits>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <set>
#include <string>

#include "frame/reridu_exports.h"
#include "host/command.h"
#include "host/library.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu browser set --exe PATH --client NAME --display NAME --progid ID\n"
    L"                          [--icons FILE] [--document-icon N] [--app-icon N] [--mode FLAGS] [--clsid]\n"
    L"       reridu browser set --system [--clsid]\n"
    L"       reridu browser is --exe PATH --client NAME --progid ID [--clsid]\n"
    L"       reridu browser remove --exe PATH --client NAME --progid ID [--clsid]\n"
    L"       reridu browser skin --extension .EXT --exe PATH --progid ID --description TEXT\n"
    L"                           [--icons FILE] [--icon N]\n"
    L"\n"
    L"set      registers the browser at PATH as the default browser, in the layout\n"
    L"         of the Windows version the program is told it runs on (5.x or 6.x);\n"
    L"         --mode takes the classic layout's flags (0x1, 0x2, 0x4); with\n"
    L"         --system, hands the role back to the system browser instead.\n"
    L"is       prints 'default' and exits with 0 when the registry names the browser\n"
    L"         as the default, else prints 'not default' and exits with 1.\n"
    L"remove   removes the registration of client NAME if PATH made it, and hands\n"
    L"         the role back to the system browser.\n"
    L"skin     associates files ending in .EXT with the browser under class ID.\n"
    L"\n"
    L"--icons defaults to PATH, icon indexes to 0. --clsid also takes over (or\n"
    L"gives back, or compares) the local server of the browser class that\n"
    L"programs start by class id.\n";

// The first of `required` that is missing, or nothing.
std::optional<std::wstring> Missing(const Options& options, std::initializer_list<const wchar_t*> required) {
    for (const wchar_t* name : required)
        if (options.Get(name) == nullptr) return std::wstring(name);
    return std::nullopt;
}

// A decimal number, or 0x-prefixed hexadecimal one, that fits its type.
template <class Number>
bool ParseNumber(const wchar_t* text, Number& number) {
    if (text == nullptr) return true;
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text, &end, 0);
    if (errno != 0 || end == text || *end != L'\0') return false;
    if (value < static_cast<long long>(std::numeric_limits<Number>::min()) ||
        value > static_cast<long long>(std::numeric_limits<Number>::max()))
        return false;
    number = static_cast<Number>(value);
    return true;
}

int Set(ReriduLibrary& library, const Options& options) {
    auto* set = library.Get<decltype(ReRidu_SetDefaultBrowser)>("ReRidu_SetDefaultBrowser");
    if (set == nullptr) return Fail(library.error());
    const bool clsid = options.Has(L"--clsid");
    if (options.Has(L"--system")) {
        if (!options.values.empty()) return Fail(L"browser set: --system takes no other option than --clsid");
        if (set(0, L"", L"", L"", L"", 0, 0, L"", clsid, 0) == 0)
            return Fail(L"browser set: this Windows version has no default-browser layout");
        fputws(L"handed back to the system browser\n", stdout);
        return 0;
    }
    if (const auto missing = Missing(options, {L"--exe", L"--client", L"--display", L"--progid"}))
        return Fail(L"browser set: " + *missing + L" is required");
    int documentIcon = 0, appIcon = 0;
    unsigned mode = 0;
    if (!ParseNumber(options.Get(L"--document-icon"), documentIcon) ||
        !ParseNumber(options.Get(L"--app-icon"), appIcon) || !ParseNumber(options.Get(L"--mode"), mode))
        return Fail(L"browser set: icon indexes and mode flags must be numbers");
    const wchar_t* exe = options.Get(L"--exe");
    const wchar_t* icons = options.Get(L"--icons") != nullptr ? options.Get(L"--icons") : exe;
    if (set(1, exe, options.Get(L"--client"), options.Get(L"--display"), icons, documentIcon, appIcon,
            options.Get(L"--progid"), clsid, mode) == 0)
        return Fail(L"browser set: this Windows version has no default-browser layout");
    fwprintf(stdout, L"registered %ls as the default browser\n", options.Get(L"--client"));
    return 0;
}

int Is(ReriduLibrary& library, const Options& options) {
    auto* isDefault = library.Get<decltype(ReRidu_IsDefaultBrowser)>("ReRidu_IsDefaultBrowser");
    if (isDefault == nullptr) return Fail(library.error());
    if (const auto missing = Missing(options, {L"--exe", L"--client", L"--progid"}))
        return Fail(L"browser is: " + *missing + L" is required");
    const int result = isDefault(options.Get(L"--client"), options.Get(L"--exe"), options.Get(L"--progid"),
                                 options.Has(L"--clsid"));
    fputws(result == 1 ? L"default\n" : L"not default\n", stdout);
    return result == 1 ? 0 : 1;
}

int Remove(ReriduLibrary& library, const Options& options) {
    auto* remove = library.Get<decltype(ReRidu_RemoveDefaultBrowser)>("ReRidu_RemoveDefaultBrowser");
    if (remove == nullptr) return Fail(library.error());
    if (const auto missing = Missing(options, {L"--exe", L"--client", L"--progid"}))
        return Fail(L"browser remove: " + *missing + L" is required");
    if (remove(options.Get(L"--exe"), options.Get(L"--client"), options.Get(L"--progid"), options.Has(L"--clsid")) ==
        0)
        return Fail(L"browser remove: client " + std::wstring(options.Get(L"--client")) +
                    L" has no registration, or the registered applications cannot be opened");
    fputws(L"removed, unless the registration belongs to another executable\n", stdout);
    return 0;
}

int Skin(ReriduLibrary& library, const Options& options) {
    auto* associate = library.Get<decltype(ReRidu_SetSkinFileAssoc)>("ReRidu_SetSkinFileAssoc");
    if (associate == nullptr) return Fail(library.error());
    if (const auto missing = Missing(options, {L"--extension", L"--exe", L"--progid", L"--description"}))
        return Fail(L"browser skin: " + *missing + L" is required");
    int icon = 0;
    if (!ParseNumber(options.Get(L"--icon"), icon)) return Fail(L"browser skin: the icon index must be a number");
    const wchar_t* exe = options.Get(L"--exe");
    const wchar_t* icons = options.Get(L"--icons") != nullptr ? options.Get(L"--icons") : exe;
    associate(options.Get(L"--extension"), exe, options.Get(L"--progid"), icons, icon, options.Get(L"--description"));
    fwprintf(stdout, L"associated %ls with %ls\n", options.Get(L"--extension"), options.Get(L"--progid"));
    return 0;
}

struct Action {
    const wchar_t* name;
    std::set<std::wstring> valued;
    std::set<std::wstring> flags;
    int (*run)(ReriduLibrary& library, const Options& options);
};

const Action kActions[] = {
    {L"set",
     {L"--exe", L"--client", L"--display", L"--progid", L"--icons", L"--document-icon", L"--app-icon", L"--mode"},
     {L"--clsid", L"--system"},
     Set},
    {L"is", {L"--exe", L"--client", L"--progid"}, {L"--clsid"}, Is},
    {L"remove", {L"--exe", L"--client", L"--progid"}, {L"--clsid"}, Remove},
    {L"skin", {L"--extension", L"--exe", L"--progid", L"--description", L"--icons", L"--icon"}, {}, Skin},
};

}  // namespace

int RunBrowser(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    if (arguments.empty()) {
        Usage(kUsage);
        return 2;
    }
    for (const Action& action : kActions) {
        if (arguments[0] != action.name) continue;
        std::wstring error;
        const std::optional<Options> options = ParseOptions(arguments, 1, action.valued, action.flags, error);
        if (!options) return Fail(L"browser " + arguments[0] + L": " + error);
        if (!options->operands.empty())
            return Fail(L"browser " + arguments[0] + L": unexpected '" + options->operands.front() + L"'");
        return action.run(library, *options);
    }
    return Fail(L"browser: expected 'set', 'is', 'remove' or 'skin', not '" + arguments[0] + L"'");
}
