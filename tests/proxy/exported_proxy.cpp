#include "tests/proxy/exported_proxy.h"

#include <wininet.h>

#include <mutex>

#include "stand_ins/razed/value_stream_writer.h"
#include "stand_ins/rovud/rovud.h"

namespace {

constexpr wchar_t kBoard[] = L"kt3.config.initvalue.board";
constexpr wchar_t kBroadcast[] = L"kt3.config.changed.prefix.brobrowser.general.proxy_config_type";

std::mutex g_lock;
Applied g_applied;
FARPROC g_original = nullptr;

// INTERNET_PROXY_INFO's lists are narrow text whatever UNICODE says.
std::string Quoted(const void* text) {
    return text ? "'" + std::string(static_cast<const char*>(text)) + "'" : "null";
}

// What wininet reads: a DWORD and two text pointers, each in a slot the
// size of a pointer (12 bytes on i686, 24 on x86_64).
constexpr DWORD kProxyInfoSize = 3 * sizeof(void*);

BOOL WINAPI RecordInternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length) {
    if (option == INTERNET_OPTION_PROXY && internet == nullptr && buffer != nullptr && length == kProxyInfoSize) {
        const auto* info = static_cast<const INTERNET_PROXY_INFO*>(buffer);
        const std::lock_guard<std::mutex> hold(g_lock);
        const DWORD access = info->dwAccessType;
        g_applied.push_back((access == INTERNET_OPEN_TYPE_DIRECT  ? std::string("direct")
                             : access == INTERNET_OPEN_TYPE_PROXY ? std::string("proxy")
                                                                  : std::to_string(access)) +
                            " " + Quoted(info->lpszProxy) + " " + Quoted(info->lpszProxyBypass));
        // Recorded, not passed on: Wine's wininet keeps the process's proxy
        // in a record whose user name and password it leaves uninitialised,
        // and frees them when the proxy is next set, corrupting the heap.
        return TRUE;
    }
    using Function = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(g_original))(internet, option, buffer, length);
}

}  // namespace

ExportedProxyService::ExportedProxyService() {
    if (!library_.loaded()) return;
    create_ = library_.Get<bool(IProxy**)>("CreateProxyObj");
    destroy_ = library_.Get<void(IProxy*)>("DeleteProxyObj");
    hook_ = std::make_unique<ImportHook>(GetModuleHandleW(L"ReRidu.dll"), "wininet.dll", "InternetSetOptionA",
                                         reinterpret_cast<const void*>(&RecordInternetSetOption));
    g_original = hook_->original();
    TakeApplied();
}

Applied ExportedProxyService::TakeApplied() {
    const std::lock_guard<std::mutex> hold(g_lock);
    Applied applied;
    applied.swap(g_applied);
    return applied;
}

InitialValueBoard::InitialValueBoard(const std::wstring& setting)
    : InitialValueBoard(razed::ValueStreamWriter().ScopeBegin().String(setting).ScopeEnd().bytes()) {}

InitialValueBoard::InitialValueBoard(const std::vector<unsigned char>& bytes) {
    RoVudSetGlobalBoard(kBoard, bytes.data(), static_cast<unsigned>(bytes.size()));
}

InitialValueBoard::~InitialValueBoard() { RoVudSetGlobalBoard(kBoard, nullptr, 0); }

unsigned BroadcastSetting(const std::wstring& value, const std::wstring& key) {
    std::wstring message = key;
    message += L'\0';
    message += value;
    message += L'\0';
    return RoVudBroadcast(kBroadcast, message.data(), static_cast<unsigned>(message.size()));
}
