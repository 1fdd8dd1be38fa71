// Random documents: well-formed ones, written with every liberty the reader
// allows, must be read as their canonical form is, without an error; random
// noise must never unbalance the callbacks, whichever structures the
// callbacks choose to skip.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/json/balance_checker.h"
#include "tests/json/recording_callbacks.h"
#include "tests/json/trace.h"
#include "ult/json/json_reader.h"

namespace {

std::wstring CanonicalString(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            const wchar_t* digits = L"0123456789ABCDEF";
            out += L"\\u00";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

// Writes both the lenient text the reader gets and the canonical text its
// events must reproduce.
class DocumentWriter {
public:
    explicit DocumentWriter(unsigned seed) : random_(seed) {}

    void Object(int depth) {
        Put(L"{", L"{");
        const int members = Pick(0, 4);
        for (int i = 0; i < members; ++i) {
            if (i > 0) Put(L",", L",");
            Key();
            Blanks();
            Put(L":", L":");
            Value(depth + 1, /*inArray=*/false);
        }
        Put(L"}", L"}");
    }

    std::wstring lenient;
    std::wstring canonical;

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void Put(const std::wstring& text, const std::wstring& canonicalText) {
        Blanks();
        lenient += text;
        canonical += canonicalText;
    }

    void Blanks() {
        static const wchar_t blanks[] = L" \t\r\n\b\f";
        while (Pick(0, 3) == 0) lenient += blanks[Pick(0, 5)];
    }

    std::wstring RandomText() {
        static const std::wstring pool = L"abc XYZ09'\"\\/\t\n\x01{}[]:,\u00e9\u4e2d\xD83D\xDE00";
        std::wstring text;
        for (int n = Pick(0, 8); n > 0; --n) text += pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))];
        return text;
    }

    // A string written with either quote and a random mix of escapes.
    std::wstring Quoted(const std::wstring& text) {
        const wchar_t quote = Pick(0, 1) ? L'\'' : L'"';
        std::wstring out(1, quote);
        for (wchar_t c : text) {
            if (c == quote || c == L'\\') {
                out += L'\\';
                out += c;
            } else if (c == L'\n' && Pick(0, 1)) {
                out += L"\\n";
            } else if (Pick(0, 4) == 0) {
                const wchar_t* digits = Pick(0, 1) ? L"0123456789abcdef" : L"0123456789ABCDEF";
                const auto unit = static_cast<unsigned>(c);
                out += L"\\u";
                for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 15];
            } else {
                out += c;
            }
        }
        return out + quote;
    }

    void Key() {
        if (Pick(0, 1)) {
            static const wchar_t first[] = L"abcxyz_";
            static const wchar_t rest[] = L"abc_09-";
            std::wstring name(1, first[Pick(0, 6)]);
            for (int n = Pick(0, 5); n > 0; --n) name += rest[Pick(0, 6)];
            Put(name, CanonicalString(name));
        } else {
            std::wstring name = RandomText();
            if (name.empty()) name = L"k";
            Put(Quoted(name), CanonicalString(name));
        }
    }

    std::wstring Number() {
        std::wstring number = Pick(0, 1) ? L"-" : L"";
        if (Pick(0, 3) == 0) {
            number += L"0";
        } else {
            number += static_cast<wchar_t>(L'1' + Pick(0, 8));
            for (int n = Pick(0, 6); n > 0; --n) number += static_cast<wchar_t>(L'0' + Pick(0, 9));
        }
        if (Pick(0, 2) == 0) number += L"." + std::to_wstring(Pick(0, 999));
        if (Pick(0, 3) == 0) number += std::wstring(Pick(0, 1) ? L"e" : L"E") + (Pick(0, 1) ? L"-" : L"+") +
                                       std::to_wstring(Pick(0, 20));
        return number;
    }

    void Value(int depth, bool inArray) {
        const int kind = Pick(depth > 4 ? 2 : 0, 6);
        switch (kind) {
            case 0: Object(depth); break;
            case 1: {
                Put(L"[", L"[");
                const int elements = Pick(0, 4);
                for (int i = 0; i < elements; ++i) {
                    if (i > 0) Put(L",", L",");
                    Value(depth + 1, /*inArray=*/true);
                }
                Put(L"]", L"]");
                break;
            }
            case 2: case 3: {
                const std::wstring text = RandomText();
                Put(Quoted(text), CanonicalString(text));
                break;
            }
            case 4: case 5: {
                const std::wstring number = Number();
                Put(number, number);
                break;
            }
            default: {
                // Bare words are member values only: inside an array they are errors.
                static const wchar_t* const words[] = {L"true", L"false", L"null"};
                const std::wstring word = inArray ? Number() : words[Pick(0, 2)];
                Put(word, word);
                break;
            }
        }
    }

    std::mt19937 random_;
};

}  // namespace

TEST(RandomDocuments, ReadAsTheirCanonicalFormIs) {
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        DocumentWriter writer(seed);
        writer.Object(0);
        const std::string canonical = json_test::Recorder({"*"}).Parse(writer.canonical);
        ASSERT_EQ(json_test::Recorder({"*"}).Parse(writer.lenient), canonical)
            << "seed " << seed << ": " << json_test::Narrow(writer.lenient);
        ASSERT_EQ(canonical.find('!'), std::string::npos) << json_test::Narrow(writer.canonical);
    }
}

TEST(RandomDocuments, NoiseNeverUnbalancesTheCallbacks) {
    static const std::wstring alphabet = L"{}[]:,'\"\\ab01-.eEu \ttrue";
    std::mt19937 random(7);
    for (unsigned round = 0; round < 5000; ++round) {
        std::wstring text;
        for (int n = std::uniform_int_distribution<int>(0, 60)(random); n > 0; --n)
            text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        ASSERT_EQ(json_test::BalanceChecker(round).Check(text), "") << json_test::Narrow(text);
        ASSERT_TRUE(json_test::IsBalanced(json_test::ScanTrace(text))) << json_test::Narrow(text);
    }
}
