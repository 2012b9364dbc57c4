// Host programs run from a Windows test under Wine (which starts Unix
// programs too), for what the Windows API cannot make: a Unix symbolic link
// inside the prefix, which Wine reports as a reparse point.
#pragma once

#include <windows.h>

#include <string>

#include "platform/text.h"
#include "platform/text_win.h"
#include "tests/support/test_timing_win.h"

namespace host_commands {

// Runs a host program and waits up to 5 s for `done`; its last answer.
template <typename Condition>
bool Run(const std::u16string& command, Condition&& done) {
    std::wstring line = ToWide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return test_timing::WaitFor(done, 5000);
}

// The host's name for a Windows path; empty when there is none.
inline std::u16string HostPathOf(const std::u16string& path) {
    using UnixName = char* (*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(WidePtr(path)) : nullptr;
    if (!name)
        return u"";
    std::u16string host = Utf8ToUtf16(name);
    HeapFree(GetProcessHeap(), 0, name);
    return host;
}

// Makes `link` (its parent must exist) a host symbolic link to the existing
// folder `target`. False when that is not possible.
inline bool LinkFolder(const std::u16string& target, const std::u16string& link) {
    const std::u16string from = HostPathOf(target), to = HostPathOf(link);
    if (from.empty() || to.empty() || from.find(u'"') != std::u16string::npos || to.find(u'"') != std::u16string::npos)
        return false;
    return Run(u"Z:\\bin\\ln -s \"" + from + u"\" \"" + to + u"\"",
               [&] { return GetFileAttributesW(WidePtr(link)) != INVALID_FILE_ATTRIBUTES; });
}

}  // namespace host_commands
