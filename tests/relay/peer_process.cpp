#include "tests/relay/peer_process.h"

#include <sstream>

namespace {

// The Unix path of the interpreter and of the script, made visible to Wine
// through its Z: drive.
std::wstring WinePath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring Quoted(const std::string& argument) {
    std::wstring quoted = L"\"";
    for (char c : argument) {
        if (c == '"') quoted += L'\\';
        quoted += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return quoted + L"\"";
}

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    if (!CreatePipe(&childInput, &lifeline_, &inheritable, 0)) return;
    if (!CreatePipe(&output_, &childOutput, &inheritable, 0)) {
        CloseHandle(childInput);
        return;
    }
    SetHandleInformation(lifeline_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = L"python3 " + Quoted(RELAY_PEER_SCRIPT);
    for (const std::string& argument : arguments) commandLine += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const std::wstring interpreter = WinePath("/usr/bin/python3");
    if (CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        // Wine gives none for a Unix program; close whatever came.
        if (process.hProcess) CloseHandle(process.hProcess);
        if (process.hThread) CloseHandle(process.hThread);
    }
    CloseHandle(childInput);
    CloseHandle(childOutput);
}

PeerProcess::~PeerProcess() {
    Stop();
    if (output_) CloseHandle(output_);
}

void PeerProcess::Stop() {
    if (!lifeline_) return;
    CloseHandle(lifeline_);
    lifeline_ = nullptr;
    // The peer has stopped its program once its output ends.
    while (ReadLine(10000)) {
    }
}

std::optional<std::string> PeerProcess::ReadLine(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::size_t feed = pending_.find('\n');
        if (feed != std::string::npos) {
            std::string line = pending_.substr(0, feed);
            pending_.erase(0, feed + 1);
            return line;
        }
        DWORD available = 0;
        if (!output_ || !PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
        if (available > 0) {
            char chunk[4096];
            DWORD got = 0;
            if (!ReadFile(output_, chunk, available < sizeof chunk ? available : sizeof chunk, &got, nullptr) ||
                got == 0)
                return std::nullopt;
            pending_.append(chunk, got);
            continue;
        }
        if (GetTickCount64() >= deadline) return std::nullopt;
        Sleep(10);
    }
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
