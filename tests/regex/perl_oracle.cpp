#include "tests/regex/perl_oracle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace regex_test {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string FlagLetters(regex::RegexFlags flags) {
    std::string out = "-";
    if (flags & regex::flag_ignore_case) out += 'i';
    if (flags & regex::flag_multiline) out += 'm';
    if (flags & regex::flag_single_line) out += 's';
    return out;
}

std::vector<std::string> RunPerl(const std::string& script, const std::vector<std::string>& lines) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string stem = "regex_perl_" + std::to_string(::getpid());
    const std::filesystem::path script_file = dir / (stem + ".pl");
    const std::filesystem::path input = dir / (stem + ".in");
    const std::filesystem::path output = dir / (stem + ".out");
    std::ofstream(script_file) << kPerlPrelude << script;
    {
        std::ofstream in(input, std::ios::binary);
        for (const std::string& line : lines) in << line << '\n';
    }
    const std::string command =
        std::string(kPerl) + " " + script_file.string() + " < " + input.string() + " > " + output.string();
    const int status = std::system(command.c_str());
    std::vector<std::string> answers;
    {
        std::ifstream out(output, std::ios::binary);
        for (std::string line; std::getline(out, line);) answers.push_back(line);
    }
    std::filesystem::remove(script_file);
    std::filesystem::remove(input);
    std::filesystem::remove(output);
    EXPECT_EQ(status, 0) << command;
    return answers;
}

}  // namespace regex_test
