#include <windows.h>

#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "animation/animation_maker.h"
#include "frame/reridu_exports.h"
#include "frame/tick_deadline.h"
#include "frame/unique_object.h"
#include "host/command.h"
#include "host/library.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu animate [--fps N] [--move-self] FROM TO MS [FROM TO MS ...]\n"
    L"\n"
    L"Creates a hidden window at the first FROM, queues the moves (FROM and TO\n"
    L"are X,Y screen positions, MS the duration in milliseconds), starts them\n"
    L"and runs a message loop until the last move ends. Prints one line per\n"
    L"event the window sees:\n"
    L"  start           the queue starts\n"
    L"  frame X,Y P%    a frame message: position and percent (the message\n"
    L"                  carries 16 bits a coordinate, so X and Y are shown in\n"
    L"                  -32768..32767)\n"
    L"  moved X,Y       with --move-self, the window's position after a tick\n"
    L"  end             the last move is over\n"
    L"\n"
    L"  --fps N         frames per second (default 50; 0 counts as 1)\n"
    L"  --move-self     the library moves the window instead of posting frames\n";

constexpr wchar_t kWindowClass[] = L"ReRiduAnimateWindow";

struct Move {
    POINT from;
    POINT to;
    unsigned durationMs;
};

struct Animation {
    unsigned framesPerSecond = 50;
    bool moveSelf = false;
    std::vector<Move> moves;
};

// The whole of `text` as a decimal integer in [min, max].
std::optional<long long> ParseInteger(const std::wstring& text, long long min, long long max) {
    if (text.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != L'\0' || value < min || value > max) return std::nullopt;
    return value;
}

std::optional<unsigned> ParseUnsigned(const std::wstring& text) {
    const std::optional<long long> value = ParseInteger(text, 0, UINT_MAX);
    if (!value) return std::nullopt;
    return static_cast<unsigned>(*value);
}

std::optional<POINT> ParsePoint(const std::wstring& text) {
    const size_t comma = text.find(L',');
    if (comma == std::wstring::npos) return std::nullopt;
    const std::optional<long long> x = ParseInteger(text.substr(0, comma), INT_MIN, INT_MAX);
    const std::optional<long long> y = ParseInteger(text.substr(comma + 1), INT_MIN, INT_MAX);
    if (!x || !y) return std::nullopt;
    return POINT{static_cast<LONG>(*x), static_cast<LONG>(*y)};
}

// Fills `options`, or returns the message that says what is wrong.
std::optional<std::wstring> ParseArguments(const Arguments& arguments, Animation& options) {
    std::wstring error;
    const std::optional<Options> parsed = ParseOptions(arguments, 0, {L"--fps"}, {L"--move-self"}, error);
    if (!parsed) return error;
    options.moveSelf = parsed->Has(L"--move-self");
    if (const wchar_t* fps = parsed->Get(L"--fps")) {
        const std::optional<unsigned> number = ParseUnsigned(fps);
        if (!number) return L"--fps: '" + std::wstring(fps) + L"' is not a number from 0 to 4294967295";
        options.framesPerSecond = *number;
    }
    const std::vector<std::wstring>& positional = parsed->operands;
    if (positional.empty() || positional.size() % 3 != 0) return L"expected moves as FROM TO MS";
    for (size_t i = 0; i < positional.size(); i += 3) {
        const std::optional<POINT> from = ParsePoint(positional[i]);
        const std::optional<POINT> to = ParsePoint(positional[i + 1]);
        const std::optional<unsigned> duration = ParseUnsigned(positional[i + 2]);
        if (!from) return L"'" + positional[i] + L"' is not a position X,Y";
        if (!to) return L"'" + positional[i + 1] + L"' is not a position X,Y";
        if (!duration) return L"'" + positional[i + 2] + L"' is not a duration in milliseconds";
        options.moves.push_back({*from, *to, *duration});
    }
    return std::nullopt;
}

UniqueWindow HiddenWindow(POINT at) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    return UniqueWindow(CreateWindowExW(0, kWindowClass, L"reridu animate", WS_POPUP, at.x, at.y, 120, 80, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr));
}

// The library's animation object, given back when this goes out of scope.
class AnimationObject {
public:
    explicit AnimationObject(ReriduLibrary& library)
        : create_(library.Get<decltype(CreateAMObj)>("CreateAMObj")),
          delete_(library.Get<decltype(DeleteAMObj)>("DeleteAMObj")) {
        if (create_ != nullptr && delete_ != nullptr && !create_(&object_)) object_ = nullptr;
    }
    ~AnimationObject() {
        if (object_ != nullptr) delete_(&object_);
    }
    AnimationObject(const AnimationObject&) = delete;
    AnimationObject& operator=(const AnimationObject&) = delete;

    CKtAnimationMaker* get() const { return object_; }

private:
    decltype(CreateAMObj)* create_;
    decltype(DeleteAMObj)* delete_;
    CKtAnimationMaker* object_ = nullptr;
};

void PrintLine(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vfwprintf(stdout, format, arguments);
    va_end(arguments);
    fflush(stdout);
}

// Enough for every move and a few spare frame intervals each; only reached
// when the end message never comes.
DWORD PatienceMs(const Animation& options) {
    const unsigned fps = options.framesPerSecond == 0 ? 1 : options.framesPerSecond;
    ULONGLONG total = 10000;
    for (const Move& move : options.moves) total += move.durationMs + 4ull * (1000 / fps) + 1000;
    // A tick-count deadline measures up to 49 days.
    return static_cast<DWORD>(total < 0x7FFFFFFFull ? total : 0x7FFFFFFFull);
}

// Dispatches messages and prints what the window sees until its end message.
bool PumpUntilEnd(HWND window, bool moveSelf, DWORD patienceMs) {
    const UINT start = RegisterWindowMessageA("kt_animation_start");
    const UINT frame = RegisterWindowMessageA(" kt_animation_frame");
    const UINT end = RegisterWindowMessageA("kt_animation_end");
    const TickDeadline deadline(patienceMs);
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == window && message.message == start) PrintLine(L"start\n");
            if (message.hwnd == window && message.message == frame)
                PrintLine(L"frame %d,%d %d%%\n", static_cast<short>(LOWORD(message.wParam)),
                          static_cast<short>(HIWORD(message.wParam)), static_cast<int>(message.lParam));
            DispatchMessageW(&message);
            if (moveSelf && message.message == WM_TIMER && message.hwnd == nullptr) {
                RECT rect;
                if (GetWindowRect(window, &rect)) PrintLine(L"moved %ld,%ld\n", rect.left, rect.top);
            }
            if (message.hwnd == window && message.message == end) {
                PrintLine(L"end\n");
                return true;
            }
        }
        const DWORD remaining = deadline.RemainingMs();
        if (remaining == 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

int RunAnimate(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    Animation options;
    if (const std::optional<std::wstring> error = ParseArguments(arguments, options)) {
        Fail(L"animate: " + *error);
        Usage(kUsage);
        return 2;
    }

    AnimationObject maker(library);
    if (maker.get() == nullptr)
        return Fail(L"animate: " + (library.error().empty() ? L"CreateAMObj made no object" : library.error()));
    const UniqueWindow window = HiddenWindow(options.moves.front().from);
    if (!window)
        return Fail(L"animate: cannot create a window (error " + std::to_wstring(GetLastError()) + L")");

    maker.get()->Initialize(options.framesPerSecond, options.moveSelf);
    for (size_t i = 0; i < options.moves.size(); ++i) {
        const Move& move = options.moves[i];
        if (!maker.get()->AddAnimation(window.get(), move.from.x, move.from.y, move.to.x, move.to.y,
                                       move.durationMs))
            return Fail(L"animate: move " + std::to_wstring(i + 1) +
                        L" was refused (it goes nowhere or takes no time)");
    }
    if (!maker.get()->StartAnimation(window.get())) return Fail(L"animate: the animation did not start");
    if (!PumpUntilEnd(window.get(), options.moveSelf, PatienceMs(options)))
        return Fail(L"animate: the animation did not end in time");
    return 0;
}
