// reridu.exe: every export of ReRidu.dll usable from a shell.
#include <cstdio>
#include <cwchar>

#include "host/command.h"
#include "host/library.h"

namespace {

int PrintOverview() {
    fputws(L"usage: reridu COMMAND [ARGS...]\n\ncommands:\n", stdout);
    for (const Command& command : Commands()) fwprintf(stdout, L"  %-8ls %ls\n", command.name, command.summary);
    fputws(L"\n'reridu COMMAND --help' describes one command.\n", stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        PrintOverview();
        return 2;
    }
    const std::wstring name = argv[1];
    if (name == L"--help" || name == L"-h" || name == L"help") return PrintOverview();

    for (const Command& command : Commands()) {
        if (name != command.name) continue;
        ReriduLibrary library;
        if (!library.loaded()) return Fail(library.error());
        return command.run(library, Arguments(argv + 2, argv + argc));
    }
    Fail(L"unknown command '" + name + L"' (see 'reridu --help')");
    return 2;
}
