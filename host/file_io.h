#pragma once
// Whole-file input and output for the host's commands, in binary mode;
// an empty path or "-" means standard input or output.

#include <optional>
#include <string>

// The bytes of the file, or nothing with `error` set.
std::optional<std::string> ReadAll(const std::wstring& path, std::wstring& error);

bool WriteAll(const std::string& bytes, std::wstring& error);  // to standard output
