#include <windows.h>

#include <string>
#include <vector>

#include "platform/program_folder.h"

// GetModuleFileNameW truncates silently when the buffer is too small, so the
// buffer grows until the name fits (long-path names reach 32767 units).
std::u16string ProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            const std::u16string path(buffer.begin(), buffer.begin() + length);
            const size_t cut = path.rfind(u'\\');
            return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}
