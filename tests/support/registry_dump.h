#pragma once
// One line per registry value, with its type and stored byte count:
//
//   HKLM\Software\Clients\StartMenuInternet\Quorvel : @ = REG_SZ 32 "Quorvel Browser\0"
//   HKLM\Software\Clients\StartMenuInternet\Quorvel\InstallInfo : IconsVisible = REG_DWORD 4 0x00000001
//   HKCU\Software\Empty (key without values or subkeys)
//
// "@" is a key's default value. Characters outside printable ASCII show as \0 or \x{hex}.

#include <windows.h>

#include <string>

std::string DumpLine(const std::wstring& key, const std::wstring& name, DWORD type, const BYTE* data, DWORD bytes);

// Expected lines. `key` starts with its root: L"HKCR\\.htm". An empty name is the default value.
//
// The layouts set a string with a byte count of twice its length, without
// the terminating NUL. RegSetValueExW then counts the NUL itself when the
// character after the counted ones is NUL, as NT does, so what is stored is
// the string with its NUL; only an empty string, set with a count of 0,
// is stored with no bytes at all.
std::string Sz(const std::wstring& key, const std::wstring& name, const std::wstring& text);
std::string ExpandSz(const std::wstring& key, const std::wstring& name, const std::wstring& text);
std::string Dword(const std::wstring& key, const std::wstring& name, DWORD number);
std::string EmptyKey(const std::wstring& key);
