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

const wchar_t* Options::Get(const wchar_t* name) const {
    for (auto value = values.rbegin(); value != values.rend(); ++value)
        if (value->first == name) return value->second.c_str();
    return nullptr;
}

std::optional<Options> ParseOptions(const Arguments& arguments, std::size_t first,
                                    const std::set<std::wstring>& valued, const std::set<std::wstring>& flags,
                                    std::wstring& error) {
    Options options;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--") {
            options.operands.insert(options.operands.end(), arguments.begin() + i + 1, arguments.end());
            break;
        }
        if (flags.count(argument) != 0) {
            options.flags.insert(argument);
        } else if (valued.count(argument) != 0) {
            if (i + 1 == arguments.size()) {
                error = argument + L" needs a value";
                return std::nullopt;
            }
            options.values.emplace_back(argument, arguments[++i]);
        } else if (argument.compare(0, 2, L"--") == 0) {
            error = L"unknown option '" + argument + L"'";
            return std::nullopt;
        } else {
            options.operands.push_back(argument);
        }
    }
    return options;
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
