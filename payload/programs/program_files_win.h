// Files the payload's programs keep beside their own exe (logs and state),
// read and written whole with plain Win32 calls.
#pragma once

#include <optional>
#include <string>

// Full path of `name` in the folder of the running program; empty when the
// program's own path cannot be read.
std::wstring PathBesideExe(const std::wstring& name);

// Appends `bytes` to `path`, creating the file when it is missing. False when
// the file cannot be opened or not every byte was written.
bool AppendToFile(const std::wstring& path, const std::string& bytes);

// The whole content of `path`; nothing when the file cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Replaces the content of `path` with `bytes`, creating the file when it is
// missing. False when the file cannot be opened or not every byte was written.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// The local time as "YYYY-MM-DD hh:mm:ss".
std::string LocalTimestamp();
