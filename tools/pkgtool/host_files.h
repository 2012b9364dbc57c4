// Host file access for the package tool, with UTF-8 names on every platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A path from UTF-8 text (on Windows the wide path of the same name).
std::filesystem::path PathFromUtf8(std::string_view text);

// The path as UTF-8 text, for messages and listings.
std::string PathToUtf8(const std::filesystem::path& path);

// Reads a whole file. False with *error ("cannot open", ...) on failure.
bool ReadFileBytes(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error);

// Creates or replaces a file with `bytes`. False with *error on failure.
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error);
