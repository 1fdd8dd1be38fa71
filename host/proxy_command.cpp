// reridu proxy run: the proxy service as the browser runs it. The setting
// goes onto the configuration board, the proxy object starts and applies it,
// and the process's proxy setting, seen by watching the library's call to
// InternetSetOptionA, tells where the relay listens.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <optional>
#include <string>

#include "frame/reridu_exports.h"
#include "host/command.h"
#include "host/file_io.h"
#include "host/import_hook.h"
#include "host/library.h"
#include "proxy/i_proxy.h"
#include "stand_ins/razed/value_stream_writer.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu proxy run --config JSON|FILE\n"
    L"       reridu proxy run (--socks4|--socks4a|--socks5|--socks5h) HOST:PORT [--user U --password P]\n"
    L"\n"
    L"Creates the proxy object, gives it the browser's proxy setting and serves\n"
    L"until interrupted (Ctrl+C). The setting is \"0\" (direct), \"1\" (the system\n"
    L"settings) or a proxy document such as\n"
    L"  {\"proxies\":[{\"id\":\"1\",\"scheme\":\"socks5\",\"host\":\"127.0.0.1\",\"port\":\"1080\"}]}\n"
    L"given inline or in FILE; --socks4, --socks4a, --socks5 and --socks5h write\n"
    L"that document for one upstream (socks5h: the SOCKS5 server resolves every\n"
    L"target name). A SOCKS upstream starts the local relay, and the command\n"
    L"prints the address it listens on:\n"
    L"  relay listening on 127.0.0.1:10000\n"
    L"Point an HTTP client at that address as its proxy.\n";

struct AppliedProxy {
    bool applied = false;
    DWORD access = 0;
    std::string proxyList;
};

AppliedProxy g_applied;
FARPROC g_internetSetOption = nullptr;

BOOL WINAPI WatchInternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length) {
    if (option == INTERNET_OPTION_PROXY && buffer != nullptr && length >= sizeof(INTERNET_PROXY_INFO)) {
        const auto* info = static_cast<const INTERNET_PROXY_INFO*>(buffer);
        const auto* list = reinterpret_cast<const char*>(info->lpszProxy);
        g_applied = {true, info->dwAccessType, list != nullptr ? list : ""};
    }
    using Function = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(g_internetSetOption))(internet, option, buffer,
                                                                                       length);
}

HANDLE g_interrupted = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(g_interrupted);
    return TRUE;
}

std::wstring JsonString(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

// The setting from the command line, or nothing with `error` set.
std::optional<std::wstring> SettingFromArguments(const Arguments& arguments, std::wstring& error) {
    const std::optional<Options> options = ParseOptions(
        arguments, 1, {L"--config", L"--socks4", L"--socks4a", L"--socks5", L"--socks5h", L"--user", L"--password"}, {},
        error);
    if (!options || !options->operands.empty()) {
        error = L"proxy: " + (options ? L"unexpected '" + options->operands.front() + L"'" : error);
        return std::nullopt;
    }
    const std::wstring config = options->Get(L"--config") ? options->Get(L"--config") : L"";
    const std::wstring user = options->Get(L"--user") ? options->Get(L"--user") : L"";
    const std::wstring password = options->Get(L"--password") ? options->Get(L"--password") : L"";
    std::wstring scheme, upstream;
    for (const auto& [option, value] : options->values) {
        if (option.compare(0, 7, L"--socks") != 0) continue;
        scheme = option.substr(2);
        upstream = value;
    }
    if (config.empty() == scheme.empty()) {
        error = L"proxy: give either --config or one of --socks4, --socks4a, --socks5, --socks5h";
        return std::nullopt;
    }
    if (!config.empty()) {
        if (config == L"0" || config == L"1" || config.find(L'{') != std::wstring::npos) return config;
        const std::optional<std::string> file = ReadAll(config, error);
        if (!file) return std::nullopt;
        return Widen(*file);
    }
    const size_t colon = upstream.rfind(L':');
    if (colon == std::wstring::npos || colon == 0 || colon + 1 == upstream.size()) {
        error = L"proxy: expected HOST:PORT, not '" + upstream + L"'";
        return std::nullopt;
    }
    return L"{\"proxies\":[{\"id\":\"1\",\"name\":\"reridu\",\"scheme\":" + JsonString(scheme) +
           L",\"host\":" + JsonString(upstream.substr(0, colon)) + L",\"port\":" +
           JsonString(upstream.substr(colon + 1)) + L",\"username\":" + JsonString(user) +
           L",\"password\":" + JsonString(password) + L"}]}";
}

void Describe(const AppliedProxy& applied) {
    if (!applied.applied) {
        fputws(L"the setting changed nothing (an unusable document, or \"1\" before \"0\")\n", stdout);
    } else if (applied.access == INTERNET_OPEN_TYPE_DIRECT) {
        fputws(L"process proxy: direct access\n", stdout);
    } else if (applied.proxyList.rfind("127.0.0.1:", 0) == 0) {
        fwprintf(stdout, L"relay listening on %hs\n", applied.proxyList.c_str());
    } else {
        fwprintf(stdout, L"process proxy: %hs\n", applied.proxyList.c_str());
    }
    fflush(stdout);
}

}  // namespace

int RunProxy(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    if (arguments.empty() || arguments[0] != L"run") {
        Usage(kUsage);
        return 2;
    }
    std::wstring error;
    const std::optional<std::wstring> setting = SettingFromArguments(arguments, error);
    if (!setting) return Fail(error);

    auto* create = library.Get<decltype(CreateProxyObj)>("CreateProxyObj");
    auto* destroy = library.Get<decltype(DeleteProxyObj)>("DeleteProxyObj");
    if (create == nullptr || destroy == nullptr) return Fail(library.error());
    const HMODULE rovud = GetModuleHandleW(L"RoVud.dll");
    using SetBoard = bool(__cdecl*)(const wchar_t*, const unsigned char*, unsigned);
    const auto setBoard =
        reinterpret_cast<SetBoard>(reinterpret_cast<void (*)()>(GetProcAddress(rovud, "RoVudSetGlobalBoard")));
    if (setBoard == nullptr) return Fail(L"proxy: RoVud.dll has no RoVudSetGlobalBoard");

    const ImportHook watch(GetModuleHandleW(L"ReRidu.dll"), "wininet.dll", "InternetSetOptionA",
                           reinterpret_cast<const void*>(&WatchInternetSetOption));
    if (!watch.installed()) return Fail(L"proxy: ReRidu.dll does not import InternetSetOptionA");
    g_internetSetOption = watch.original();

    razed::ValueStreamWriter record;
    record.ScopeBegin().String(*setting).ScopeEnd();
    setBoard(L"kt3.config.initvalue.board", record.bytes().data(), static_cast<unsigned>(record.bytes().size()));

    g_interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);

    IProxy* proxy = nullptr;
    if (!create(&proxy)) return Fail(L"proxy: CreateProxyObj failed");
    const bool started = proxy->Start();
    int status = 0;
    if (!started) {
        status = Fail(L"proxy: Start failed (the board record is malformed)");
    } else {
        Describe(g_applied);
        WaitForSingleObject(g_interrupted, INFINITE);
        fputws(L"stopping\n", stdout);
    }
    proxy->Stop();
    destroy(proxy);
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    CloseHandle(g_interrupted);
    setBoard(L"kt3.config.initvalue.board", nullptr, 0);
    return status;
}
