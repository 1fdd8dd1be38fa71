#pragma once
// One top-level command of reridu.exe: `reridu NAME ARGS...`.

#include <string>
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
