// Random documents: well-formed ones, written with every liberty the reader
// allows, must come back exactly; random noise must never unbalance the
// callbacks, whichever structures the callbacks choose to skip.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

#include "tests/json/trace.h"
#include "ult/json/json_reader.h"

namespace {

using ult::json::array_callback;
using ult::json::json_value;
using ult::json::object_callback;

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

// Rebuilds canonical text from the events: one object and one array
// callback serve every level, keeping a comma flag per open structure.
class CanonicalWriter {
public:
    CanonicalWriter() : object_(*this), array_(*this) { first_.push_back(true); }
    object_callback* root() { return &object_; }
    std::wstring text = L"{";

private:
    void Separate() {
        if (!first_.back()) text += L",";
        first_.back() = false;
    }
    void Key(const std::wstring& key) {
        Separate();
        text += CanonicalString(key) + L":";
    }
    void Scalar(const json_value& value) {
        text += value.type == ult::json::value_type::string ? CanonicalString(value.text) : value.text;
    }
    void Open(const wchar_t* bracket) {
        text += bracket;
        first_.push_back(true);
    }
    void Close(const wchar_t* bracket) {
        text += bracket;
        first_.pop_back();
    }

    struct Object final : object_callback {
        explicit Object(CanonicalWriter& writer) : w(writer) {}
        object_callback* member_object(const std::wstring& key) override {
            w.Key(key);
            w.Open(L"{");
            return this;
        }
        array_callback* member_array(const std::wstring& key) override {
            w.Key(key);
            w.Open(L"[");
            return &w.array_;
        }
        void member_value(const std::wstring& key, const json_value& value) override {
            w.Key(key);
            w.Scalar(value);
        }
        void error(const ult::json::json_position&) override { w.text += L"<error>"; }
        void end() override { w.Close(L"}"); }
        CanonicalWriter& w;
    };
    struct Array final : array_callback {
        explicit Array(CanonicalWriter& writer) : w(writer) {}
        array_callback* element_array() override {
            w.Separate();
            w.Open(L"[");
            return this;
        }
        object_callback* element_object() override {
            w.Separate();
            w.Open(L"{");
            return &w.object_;
        }
        void element_value(const json_value& value) override {
            w.Separate();
            w.Scalar(value);
        }
        void error(const ult::json::json_position&) override { w.text += L"<error>"; }
        void end() override { w.Close(L"]"); }
        CanonicalWriter& w;
    };

    Object object_;
    Array array_;
    std::vector<bool> first_;
};

// Each structure gets its own callback, chosen at random to be skipped or
// not; every callback handed out must end exactly once, and hear nothing after.
class BalanceChecker {
public:
    explicit BalanceChecker(unsigned seed) : random_(seed) {}

    void Parse(const std::wstring& text) {
        length_ = text.size();
        objects_.clear();
        arrays_.clear();
        ObjectNode root(*this);
        root.root = true;
        ult::json::parse_object(text.data(), text.size(), &root);
        for (const ObjectNode& node : objects_) EXPECT_EQ(node.ends, 1) << json_test::Narrow(text);
        for (const ArrayNode& node : arrays_) EXPECT_EQ(node.ends, 1) << json_test::Narrow(text);
    }

private:
    struct NodeState {
        explicit NodeState(BalanceChecker& owner) : checker(owner) {}
        // The root callback serves every top-level object, so it ends once per object.
        void Check() const {
            EXPECT_TRUE(root || ends == 0) << "event after end";
        }
        void CheckPosition(const ult::json::json_position& position) const {
            Check();
            EXPECT_GE(position.remaining, 0);
            EXPECT_LE(static_cast<size_t>(position.remaining), checker.length_);
        }
        void End() {
            Check();
            ++ends;
        }
        BalanceChecker& checker;
        int ends = 0;
        bool root = false;
    };

    struct ObjectNode final : object_callback, NodeState {
        using NodeState::NodeState;
        void error(const ult::json::json_position& position) override { CheckPosition(position); }
        object_callback* member_object(const std::wstring&) override { return Check(), checker.NewObject(); }
        array_callback* member_array(const std::wstring&) override { return Check(), checker.NewArray(); }
        void member_value(const std::wstring&, const json_value&) override { Check(); }
        void end() override { End(); }
        void child_end() override { Check(); }
    };

    struct ArrayNode final : array_callback, NodeState {
        using NodeState::NodeState;
        void error(const ult::json::json_position& position) override { CheckPosition(position); }
        array_callback* element_array() override { return Check(), checker.NewArray(); }
        object_callback* element_object() override { return Check(), checker.NewObject(); }
        void element_value(const json_value&) override { Check(); }
        void end() override { End(); }
        void child_end() override { Check(); }
    };

    bool Skip() { return std::uniform_int_distribution<int>(0, 3)(random_) == 0; }
    ObjectNode* NewObject() { return Skip() ? nullptr : &objects_.emplace_back(*this); }
    ArrayNode* NewArray() { return Skip() ? nullptr : &arrays_.emplace_back(*this); }

    std::mt19937 random_;
    std::deque<ObjectNode> objects_;
    std::deque<ArrayNode> arrays_;
    size_t length_ = 0;
};

}  // namespace

TEST(RandomDocuments, WellFormedDocumentsComeBackExactly) {
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        DocumentWriter writer(seed);
        writer.Object(0);
        CanonicalWriter reader;
        ult::json::parse_object(writer.lenient.data(), writer.lenient.size(), reader.root());
        ASSERT_EQ(json_test::Narrow(reader.text), json_test::Narrow(writer.canonical))
            << "seed " << seed << ": " << json_test::Narrow(writer.lenient);
    }
}

TEST(RandomDocuments, NoiseNeverUnbalancesTheCallbacks) {
    static const std::wstring alphabet = L"{}[]:,'\"\\ab01-.eEu \ttrue";
    std::mt19937 random(7);
    for (unsigned round = 0; round < 5000; ++round) {
        std::wstring text;
        for (int n = std::uniform_int_distribution<int>(0, 60)(random); n > 0; --n)
            text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        BalanceChecker checker(round);
        checker.Parse(text);
        ASSERT_TRUE(json_test::IsBalanced(json_test::ScanTrace(text))) << json_test::Narrow(text);
        if (HasFailure()) break;
    }
}
