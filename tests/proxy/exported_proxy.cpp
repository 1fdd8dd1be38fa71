#include "tests/proxy/exported_proxy.h"

#include <wininet.h>

#include <mutex>
#include <ostream>

#include "stand_ins/razed/value_stream_writer.h"
#include "stand_ins/rovud/rovud.h"

namespace {

constexpr wchar_t kBoard[] = L"kt3.config.initvalue.board";
constexpr wchar_t kBroadcast[] = L"kt3.config.changed.prefix.brobrowser.general.proxy_config_type";

std::mutex g_lock;
std::vector<AppliedProxy> g_applied;
FARPROC g_original = nullptr;

std::optional<std::string> TextOrNone(LPCTSTR text) {
    if (text == nullptr) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(text));
}

// What wininet reads: a DWORD and two text pointers, each in a slot the
// size of a pointer (12 bytes on i686, 24 on x86_64).
constexpr DWORD kProxyInfoSize = 3 * sizeof(void*);

BOOL WINAPI RecordInternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length) {
    if (option == INTERNET_OPTION_PROXY && internet == nullptr && buffer != nullptr && length == kProxyInfoSize) {
        const auto* info = static_cast<const INTERNET_PROXY_INFO*>(buffer);
        const std::lock_guard<std::mutex> hold(g_lock);
        g_applied.push_back({info->dwAccessType, TextOrNone(info->lpszProxy), TextOrNone(info->lpszProxyBypass)});
        // Recorded, not passed on: Wine's wininet keeps the process's proxy
        // in a record whose user name and password it leaves uninitialised,
        // and frees them when the proxy is next set, corrupting the heap.
        return TRUE;
    }
    using Function = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(g_original))(internet, option, buffer, length);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const AppliedProxy& applied) {
    out << "{access " << applied.access << ", proxy ";
    out << (applied.proxyList ? "'" + *applied.proxyList + "'" : std::string("null")) << ", bypass ";
    return out << (applied.bypassList ? "'" + *applied.bypassList + "'" : std::string("null")) << "}";
}

AppliedProxy Direct() { return {INTERNET_OPEN_TYPE_DIRECT, std::nullopt, std::nullopt}; }

AppliedProxy ProxyOf(const std::string& list, const std::optional<std::string>& bypass) {
    return {INTERNET_OPEN_TYPE_PROXY, list, bypass};
}

ExportedProxyService::ExportedProxyService() {
    if (!library_.loaded()) return;
    create_ = library_.Get<bool(IProxy**)>("CreateProxyObj");
    destroy_ = library_.Get<void(IProxy*)>("DeleteProxyObj");
    hook_ = std::make_unique<ImportHook>(GetModuleHandleW(L"ReRidu.dll"), "wininet.dll", "InternetSetOptionA",
                                         reinterpret_cast<const void*>(&RecordInternetSetOption));
    g_original = hook_->original();
    TakeApplied();
}

ExportedProxyService::~ExportedProxyService() = default;

ProxyObject* ExportedProxyService::Create() const {
    ProxyObject* object = nullptr;
    return create_(reinterpret_cast<IProxy**>(&object)) ? object : nullptr;
}

std::vector<AppliedProxy> ExportedProxyService::TakeApplied() {
    const std::lock_guard<std::mutex> hold(g_lock);
    std::vector<AppliedProxy> applied;
    applied.swap(g_applied);
    return applied;
}

InitialValueBoard::InitialValueBoard(const std::wstring& setting)
    : InitialValueBoard(razed::ValueStreamWriter()
                            .ScopeBegin()
                            .String(setting)
                            .String(L"")
                            .String(L"")
                            .String(L"")
                            .String(L"")
                            .Int(0)
                            .String(L"")
                            .ScopeEnd()
                            .bytes()) {}

InitialValueBoard::InitialValueBoard(const std::vector<unsigned char>& bytes) {
    RoVudSetGlobalBoard(kBoard, bytes.data(), static_cast<unsigned>(bytes.size()));
}

InitialValueBoard::~InitialValueBoard() { RoVudSetGlobalBoard(kBoard, nullptr, 0); }

unsigned BroadcastSetting(const std::wstring& key, const std::wstring& value) {
    std::wstring message = key;
    message += L'\0';
    message += value;
    message += L'\0';
    return RoVudBroadcast(kBroadcast, message.data(), static_cast<unsigned>(message.size()));
}
