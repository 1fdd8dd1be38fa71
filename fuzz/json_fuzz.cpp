// Reads arbitrary UTF-16 text (two bytes a code unit), so the scanner, the
// dispatcher and its frame stack all see the input, with callbacks that skip
// structures as the input's length chooses. A broken promise of the reader
// to its callers (see recording_callbacks.h) is a crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/json/recording_callbacks.h"
#include "ult/json/character_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const bool tableBuilt = (ult::json::build_character_table(), true);
    (void)tableBuilt;
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    json_test::Recorder recorder(static_cast<unsigned>(size));
    recorder.Parse(text);
    if (!recorder.broken().empty()) std::abort();
    return 0;
}
