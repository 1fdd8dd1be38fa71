#include "host/command.h"

#include <cstdio>

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {L"base64", L"encode or decode Base64 (files or standard input)", RunBase64},
        {L"regex", L"match a pattern or substitute its matches", RunRegex},
        {L"proxy", L"run the proxy service with an upstream proxy", RunProxy},
        {L"browser", L"register, detect or remove the default browser; associate skin files", RunBrowser},
        {L"verify", L"check the publisher name of a signed file", RunVerify},
        {L"animate", L"slide a window and print every frame", RunAnimate},
    };
    return commands;
}

bool WantsHelp(const Arguments& arguments) {
    for (const std::wstring& argument : arguments)
        if (argument == L"--help" || argument == L"-h") return true;
    return false;
}

int Fail(const std::wstring& message) {
    fwprintf(stderr, L"reridu: %ls\n", message.c_str());
    return 1;
}

int Usage(const wchar_t* text) {
    fputws(text, stdout);
    return 0;
}

int NotAvailable(const wchar_t* command) {
    return Fail(std::wstring(L"'") + command + L"' is not available yet in this build");
}
