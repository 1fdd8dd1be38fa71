// Random documents: well-formed ones, written with every liberty the reader
// allows, must be read as their canonical form is, without an error; random
// noise must never make the reader break a promise to its callers,
// whichever structures the callbacks choose to skip.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/json/recording_callbacks.h"
#include "tests/json/trace.h"

namespace {

// Writes both the lenient text the reader gets, with every liberty it
// allows, and the canonical text its events must reproduce.
class DocumentWriter {
public:
    explicit DocumentWriter(unsigned seed) : random_(seed) {}

    void Object(int depth) {
        Put(L"{");
        for (int members = Pick(0, 4); members > 0; --members) {
            if (Pick(0, 1)) {
                std::wstring name(1, L"abcxyz_"[Pick(0, 6)]);
                for (int n = Pick(0, 5); n > 0; --n) name += L"abc_09-"[Pick(0, 6)];
                Put(name, Canonical(name));
            } else {
                String(RandomText(L"k"));
            }
            Put(L":");
            Value(depth + 1, /*inArray=*/false);
            if (members > 1) Put(L",");
        }
        Put(L"}");
    }

    std::wstring lenient;
    std::wstring canonical;

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void Put(const std::wstring& text, const std::wstring& canonicalText) {
        static const wchar_t blanks[] = L" \t\r\n\b\f";
        while (Pick(0, 3) == 0) lenient += blanks[Pick(0, 5)];
        lenient += text;
        canonical += canonicalText;
    }
    void Put(const std::wstring& text) { Put(text, text); }

    std::wstring RandomText(const wchar_t* ifEmpty = L"") {
        static const std::wstring pool = L"abc XYZ09'\"\\/\t\n\x01{}[]:,\u00e9\u4e2d\xD83D\xDE00";
        std::wstring text;
        for (int n = Pick(0, 8); n > 0; --n) text += pool[static_cast<size_t>(Pick(0, static_cast<int>(pool.size()) - 1))];
        return text.empty() ? ifEmpty : text;
    }

    static void Escape(std::wstring& out, wchar_t c, const wchar_t* digits) {
        out += L"\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += digits[(static_cast<unsigned>(c) >> shift) & 15];
    }

    // Double quotes, a backslash before " and \, and control characters as \u00XX.
    static std::wstring Canonical(const std::wstring& text) {
        std::wstring out = L"\"";
        for (wchar_t c : text) {
            if (c == L'"' || c == L'\\')
                out += {L'\\', c};
            else if (c < 0x20)
                Escape(out, c, L"0123456789ABCDEF");
            else
                out += c;
        }
        return out + L'"';
    }

    // Either quote and a random mix of escapes.
    std::wstring Lenient(const std::wstring& text) {
        const wchar_t quote = Pick(0, 1) ? L'\'' : L'"';
        std::wstring out(1, quote);
        for (wchar_t c : text) {
            if (c == quote || c == L'\\')
                out += {L'\\', c};
            else if (c == L'\n' && Pick(0, 1))
                out += L"\\n";
            else if (Pick(0, 4) == 0)
                Escape(out, c, Pick(0, 1) ? L"0123456789abcdef" : L"0123456789ABCDEF");
            else
                out += c;
        }
        return out + quote;
    }

    void String(const std::wstring& text) { Put(Lenient(text), Canonical(text)); }

    std::wstring Number() {
        std::wstring number = Pick(0, 1) ? L"-" : L"";
        number += Pick(0, 3) == 0 ? L"0" : std::to_wstring(Pick(1, 9999999));
        if (Pick(0, 2) == 0) number += L"." + std::to_wstring(Pick(0, 999));
        if (Pick(0, 3) == 0) number += std::wstring(Pick(0, 1) ? L"e" : L"E") + (Pick(0, 1) ? L"-" : L"+") +
                                       std::to_wstring(Pick(0, 20));
        return number;
    }

    void Value(int depth, bool inArray) {
        switch (Pick(depth > 4 ? 2 : 0, 6)) {
            case 0: Object(depth); break;
            case 1:
                Put(L"[");
                for (int elements = Pick(0, 4); elements > 0; --elements) {
                    Value(depth + 1, /*inArray=*/true);
                    if (elements > 1) Put(L",");
                }
                Put(L"]");
                break;
            case 2: case 3: String(RandomText()); break;
            case 4: case 5: Put(Number()); break;
            // Bare words are member values only: inside an array they are errors.
            default: {
                static const wchar_t* const words[] = {L"true", L"false", L"null"};
                Put(inArray ? Number() : words[Pick(0, 2)]);
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
        json_test::Recorder canonical({"*"}), lenient({"*"});
        const std::string expected = canonical.Parse(writer.canonical);
        ASSERT_EQ(lenient.Parse(writer.lenient), expected) << "seed " << seed << ": " << json_test::Narrow(writer.lenient);
        ASSERT_EQ(expected.find('!'), std::string::npos) << json_test::Narrow(writer.canonical);
        ASSERT_EQ(lenient.broken(), "") << json_test::Narrow(writer.lenient);
    }
}

TEST(RandomDocuments, NoiseNeverBreaksTheReadersPromises) {
    static const std::wstring alphabet = L"{}[]:,'\"\\ab01-.eEu \ttrue";
    std::mt19937 random(7);
    for (unsigned round = 0; round < 5000; ++round) {
        std::wstring text;
        for (int n = std::uniform_int_distribution<int>(0, 60)(random); n > 0; --n)
            text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        json_test::Recorder recorder(round);
        recorder.Parse(text);
        ASSERT_EQ(recorder.broken(), "") << json_test::Narrow(text);
    }
}
