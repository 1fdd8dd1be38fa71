#pragma once
// One top-level command of reridu.exe: `reridu NAME ARGS...`.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class ReriduLibrary;

using Arguments = std::vector<std::wstring>;

struct Command {
    const wchar_t* name;
    const wchar_t* summary;
    int (*run)(ReriduLibrary& library, const Arguments& arguments);  // arguments after NAME
};

// Every command, in the order `reridu --help` lists them.
const std::vector<Command>& Commands();

// A command's options: each of the valued ones takes the next argument, each
// flag stands alone; what does not start with "--", and everything after a
// lone "--", is an operand.
struct Options {
    std::vector<std::pair<std::wstring, std::wstring>> values;  // in the order given
    std::set<std::wstring> flags;
    std::vector<std::wstring> operands;

    const wchar_t* Get(const wchar_t* name) const;  // the last value given for `name`, or null
    bool Has(const wchar_t* name) const { return flags.count(name) != 0; }
};

// The options in arguments[first...], or nothing with `error` saying which
// option is unknown or lacks its value.
std::optional<Options> ParseOptions(const Arguments& arguments, std::size_t first,
                                    const std::set<std::wstring>& valued, const std::set<std::wstring>& flags,
                                    std::wstring& error);

// Helpers shared by the commands.
bool WantsHelp(const Arguments& arguments);
int Fail(const std::wstring& message);  // prints "reridu: message" on stderr, returns 1
int Usage(const wchar_t* text);          // prints text on stdout, returns 0
int NotAvailable(const wchar_t* command);

// One function per command, each defined in its own file.
int RunBase64(ReriduLibrary& library, const Arguments& arguments);
int RunRegex(ReriduLibrary& library, const Arguments& arguments);
int RunProxy(ReriduLibrary& library, const Arguments& arguments);
int RunBrowser(ReriduLibrary& library, const Arguments& arguments);
int RunVerify(ReriduLibrary& library, const Arguments& arguments);
int RunAnimate(ReriduLibrary& library, const Arguments& arguments);
