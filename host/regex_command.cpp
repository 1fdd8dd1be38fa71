// reridu regex match|subst: RegexMatch and RegexSubstitute from a shell.
// The library answers a malformed pattern as it answers no match; the
// command then compiles the pattern itself to say what is wrong with it.
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "frame/reridu_exports.h"
#include "frame/text_conversion.h"
#include "host/command.h"
#include "host/file_io.h"
#include "host/library.h"
#include "regex/bad_regexpr.h"
#include "regex/result_allocator.h"
#include "regex/rpattern.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu regex match [--flags LIST] PATTERN [TEXT]\n"
    L"       reridu regex subst [--flags LIST] PATTERN REPLACEMENT [TEXT]\n"
    L"\n"
    L"Searches TEXT (standard input when TEXT is absent) for PATTERN, a Perl-like\n"
    L"regular expression over bytes; arguments are taken as UTF-8.\n"
    L"\n"
    L"match prints the spans the library hands back, one per line as\n"
    L"\"OFFSET LENGTH\" in bytes: the whole match, then each capturing group\n"
    L"(0 0 for a group that took no part). With global, first_backrefs or\n"
    L"all_backrefs, the lines follow those flags.\n"
    L"subst prints TEXT with the first match, or with global every match,\n"
    L"replaced by REPLACEMENT: $1..$n for groups, $& for the match, $` and $'\n"
    L"for the text before and after it, \\U \\L \\u \\l \\E for case, \\ to escape.\n"
    L"Text from standard input comes back byte for byte; TEXT given as an\n"
    L"argument is followed by a line break.\n"
    L"\n"
    L"LIST is a comma-separated list of flags:\n"
    L"  ignore_case  global  multiline  single_line  rightmost  no_backrefs\n"
    L"  first_backrefs  all_backrefs  normalize  extended\n"
    L"\n"
    L"Exit status: 0 when something matched, 1 when nothing did, 2 on an\n"
    L"error such as a malformed pattern or replacement.\n";

constexpr int kNoMatch = 1;
constexpr int kError = 2;

struct FlagName {
    const wchar_t* name;
    regex::RegexFlags flag;
};

constexpr FlagName kFlagNames[] = {
    {L"ignore_case", regex::flag_ignore_case},   {L"global", regex::flag_global},
    {L"multiline", regex::flag_multiline},       {L"single_line", regex::flag_single_line},
    {L"rightmost", regex::flag_rightmost},       {L"no_backrefs", regex::flag_no_backrefs},
    {L"first_backrefs", regex::flag_first_backrefs}, {L"all_backrefs", regex::flag_all_backrefs},
    {L"normalize", regex::flag_normalize},       {L"extended", regex::flag_extended},
};

int Error(const std::wstring& message) {
    Fail(L"regex: " + message);
    return kError;
}

// The flags named in list, or nothing with `error` set.
std::optional<regex::RegexFlags> ParseFlags(const std::wstring& list, std::wstring& error) {
    regex::RegexFlags flags = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', start);
        const std::wstring name = list.substr(start, comma == std::wstring::npos ? comma : comma - start);
        bool known = false;
        for (const FlagName& f : kFlagNames) {
            if (name == f.name) {
                flags |= f.flag;
                known = true;
            }
        }
        if (!known) {
            error = L"unknown flag '" + name + L"' (see 'reridu regex --help')";
            return std::nullopt;
        }
        if (comma == std::wstring::npos) return flags;
        start = comma + 1;
    }
}

struct Request {
    std::wstring action;
    regex::RegexFlags flags = 0;
    std::vector<std::string> operands;  // pattern, [replacement,] text: UTF-8 bytes
    bool text_is_argument = false;      // standard input keeps its own line ends; an argument has none
};

// Why the library found nothing: the pattern or the replacement may be malformed.
std::optional<std::wstring> Malformed(const Request& request) {
    const wchar_t* part = L"pattern";
    try {
        regex::rpattern pattern(request.operands[0], request.flags);
        part = L"replacement";
        if (request.action == L"subst") pattern.set_substitution(request.operands[1]);
    } catch (const regex::bad_regexpr& e) {
        std::wstring message = std::wstring(L"malformed ") + part + L": ";
        for (const char* c = e.what(); *c != '\0'; ++c) message += static_cast<wchar_t>(*c);
        return message;
    }
    return std::nullopt;
}

// Keeps the spans RegexMatch hands back; the library calls it as MSVC code would.
class SpanList final : public IRegexResultAllocator {
public:
    MatchSpan* RERIDU_THISCALL Allocate(int count) override {
        spans_.assign(static_cast<std::size_t>(count), MatchSpan{0, 0});
        return spans_.data();
    }
    const std::vector<MatchSpan>& spans() const { return spans_; }

private:
    std::vector<MatchSpan> spans_;
};

int Match(ReriduLibrary& library, const Request& request) {
    auto* match = library.Get<decltype(RegexMatch)>("RegexMatch");
    if (match == nullptr) return Error(library.error());
    const std::string& pattern = request.operands[0];
    const std::string& text = request.operands[1];
    SpanList spans;
    if (!match(text.data(), static_cast<int>(text.size()), pattern.data(), static_cast<int>(pattern.size()), &spans,
               request.flags)) {
        if (const std::optional<std::wstring> malformed = Malformed(request)) return Error(*malformed);
        return kNoMatch;
    }
    std::string lines;
    for (const MatchSpan& s : spans.spans()) lines += std::to_string(s.offset) + " " + std::to_string(s.length) + "\n";
    std::wstring error;
    return WriteAll(lines, error) ? 0 : Error(error);
}

int Substitute(ReriduLibrary& library, const Request& request) {
    auto* substitute = library.Get<decltype(RegexSubstitute)>("RegexSubstitute");
    if (substitute == nullptr) return Error(library.error());
    const std::string& pattern = request.operands[0];
    const std::string& replacement = request.operands[1];
    const std::string& text = request.operands[2];
    // A first guess at the size; the library says how much it needs when that is too little.
    std::string output(text.size() * 2 + replacement.size() + 64, '\0');
    int count = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto length = static_cast<unsigned>(output.size());
        count = substitute(text.data(), static_cast<int>(text.size()), pattern.data(), static_cast<int>(pattern.size()),
                           replacement.data(), static_cast<int>(replacement.size()), output.data(), &length,
                           request.flags);
        const bool fitted = length <= output.size();
        output.resize(length);
        if (count == 0 || fitted) break;
    }
    if (count == 0) {
        if (const std::optional<std::wstring> malformed = Malformed(request)) return Error(*malformed);
        output = text;
    }
    if (request.text_is_argument) output += '\n';
    std::wstring error;
    if (!WriteAll(output, error)) return Error(error);
    return count == 0 ? kNoMatch : 0;
}

}  // namespace

int RunRegex(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    Request request;
    std::wstring error;
    const std::optional<Options> options = ParseOptions(arguments, 1, {L"--flags"}, {}, error);
    if (!options) return Error(error);
    for (const auto& [option, list] : options->values) {
        const std::optional<regex::RegexFlags> flags = ParseFlags(list, error);
        if (!flags) return Error(error);
        request.flags |= *flags;
    }
    if (!arguments.empty()) request.action = arguments[0];
    const std::vector<std::wstring>& operands = options->operands;
    const std::size_t wanted = request.action == L"match" ? 1 : request.action == L"subst" ? 2 : 0;
    if (wanted == 0 || operands.size() < wanted || operands.size() > wanted + 1) {
        Usage(kUsage);
        return kError;
    }
    if (operands[0].empty()) return Error(L"the library takes no empty pattern");
    for (const std::wstring& operand : operands) request.operands.push_back(ToUtf8(operand));
    request.text_is_argument = operands.size() > wanted;
    if (!request.text_is_argument) {
        const std::optional<std::string> input = ReadAll(L"", error);
        if (!input) return Error(error);
        request.operands.push_back(*input);
    }
    for (const std::string& operand : request.operands)
        if (operand.size() > INT_MAX) return Error(L"an argument or the input is larger than 2 GiB");
    return request.action == L"match" ? Match(library, request) : Substitute(library, request);
}
