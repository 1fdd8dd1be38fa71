#include "tests/support/peer_process.h"

#include <windows.h>

#include <sstream>

#include "frame/tick_deadline.h"

namespace {


std::wstring Quoted(const std::string& argument) {
    std::wstring quoted = L"\"";
    for (char c : argument) {
        if (c == '"') quoted += L'\\';
        quoted += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return quoted + L"\"";
}

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& arguments, DWORD startTimeoutMs) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return;
    }
    std::wstring commandLine =
        L"python3 " + Quoted(RELAY_PEER_SCRIPT) + L" " + std::to_wstring(ntohs(address.sin_port));
    for (const std::string& argument : arguments) commandLine += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The interpreter by its Unix path, through Wine's Z: drive.
    // For a Unix program Wine fills the process information with whatever
    // its stack held, the process id included (on i686 the leftovers of this
    // program's own earlier calls), so none of it is read: closing those
    // "handles" would close unrelated handles of this process.
    if (CreateProcessW(L"Z:\\usr\\bin\\python3", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener, &readable);
        timeval wait{static_cast<long>(startTimeoutMs / 1000), 0};
        if (select(0, &readable, nullptr, nullptr, &wait) == 1)
            lifeline_ = TestSocket(accept(listener, nullptr, nullptr));
    }
    closesocket(listener);
}

PeerProcess::~PeerProcess() { Stop(); }

void PeerProcess::Stop() {
    if (!lifeline_.Valid()) return;
    shutdown(lifeline_.Get(), SD_SEND);
    // The peer closes its end once its program has stopped.
    lifeline_.ReadToClose(15000);
    lifeline_.Close();
}

std::optional<std::string> PeerProcess::ReadLine(DWORD timeoutMs) {
    const TickDeadline deadline(timeoutMs);
    while (pending_.find('\n') == std::string::npos) {
        const DWORD remaining = deadline.RemainingMs();
        if (!lifeline_.Valid() || remaining == 0) return std::nullopt;
        const std::string more = lifeline_.Read(1, remaining);
        if (more.empty()) return std::nullopt;
        pending_ += more;
    }
    const std::size_t feed = pending_.find('\n');
    std::string line = pending_.substr(0, feed);
    pending_.erase(0, feed + 1);
    return line;
}

std::uint16_t PeerProcess::WaitReady(DWORD timeoutMs) {
    const auto line = ReadLine(timeoutMs);
    if (!line || line->rfind("READY ", 0) != 0) return 0;
    return static_cast<std::uint16_t>(std::stoi(line->substr(6)));
}

RunResult RunProgram(const std::string& check, const std::vector<std::string>& command, DWORD timeoutMs) {
    std::vector<std::string> arguments{"run", check};
    arguments.insert(arguments.end(), command.begin(), command.end());
    PeerProcess peer(arguments);
    RunResult result;
    const auto line = peer.ReadLine(timeoutMs);
    if (!line) return result;
    std::istringstream fields(*line);
    std::string word, verdict;
    fields >> word >> result.exit_code >> result.size >> verdict;
    result.verdict = word == "EXIT" && verdict == "ok";
    return result;
}
