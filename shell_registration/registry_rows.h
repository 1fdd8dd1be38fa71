#pragma once
// A registry layout is a table of rows, each one registry operation spelled
// with templates (text_template.h). One routine carries out any table, so the
// tables in the layout files are the whole of what each layout does.

#include <windows.h>

#include <cstddef>

#include "shell_registration/text_template.h"

namespace shell_registration {

enum class Root : unsigned char { ClassesRoot, CurrentUser, LocalMachine };

enum class Op : unsigned char {
    None,                    // the row is not written
    WriteString,             // create the key if missing, set the value
    WriteStringIfKeyExists,  // set the value only where the key exists
    WriteDwordIfKeyExists,
    DeleteTree,              // the key and everything below it
    DeleteKey,               // one key without subkeys
};

// Rows that apply only to some calls.
enum class When : unsigned char {
    Always,
    WithClsid,      // the caller asked to take over or give back the class's local server
    SystemClasses,  // rows that change the system's own classes, not just the browser's
};

struct Data {
    DWORD type;
    const wchar_t* text;  // template of a string's data
    DWORD number;
};

constexpr Data Sz(const wchar_t* text) { return {REG_SZ, text, 0}; }
constexpr Data ExpandSz(const wchar_t* text) { return {REG_EXPAND_SZ, text, 0}; }
constexpr Data Dword(DWORD number) { return {REG_DWORD, nullptr, number}; }
constexpr Data NoData{REG_NONE, nullptr, 0};

struct Row {
    Root root;
    const wchar_t* key;    // template
    const wchar_t* value;  // template, or null for the key's default value
    Data data;
    Op op;
    When when = When::Always;
};

struct Conditions {
    bool withClsid = false;
    bool systemClasses = true;
};

// Carries out the rows that the conditions select, in order. A row is
// skipped, with nothing written, when one of its templates does not expand
// (Fields::Expand) within maxLength; a row that does not take effect does
// not stop the ones after it.
void ApplyRows(const Row* rows, std::size_t count, const Fields& fields, std::size_t maxLength,
               Conditions conditions = {});

template <std::size_t N>
void ApplyRows(const Row (&rows)[N], const Fields& fields, std::size_t maxLength, Conditions conditions = {}) {
    ApplyRows(rows, N, fields, maxLength, conditions);
}

HKEY ToHkey(Root root);

// The notation of the tables, close to that of a registry dump.
namespace notation {
constexpr Root HKCR = Root::ClassesRoot;
constexpr Root HKCU = Root::CurrentUser;
constexpr Root HKLM = Root::LocalMachine;
constexpr Op C = Op::WriteString;
constexpr Op E = Op::WriteStringIfKeyExists;
constexpr Op D = Op::WriteDwordIfKeyExists;
constexpr Op X = Op::DeleteTree;
constexpr Op K = Op::DeleteKey;
constexpr const wchar_t* Default = nullptr;
constexpr When WithClsid = When::WithClsid;
}  // namespace notation

}  // namespace shell_registration
