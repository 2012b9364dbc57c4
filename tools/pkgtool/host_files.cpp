#include "tools/pkgtool/host_files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::u8path(text.begin(), text.end());
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.u8string();
}

bool ReadFileBytes(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "read error";
        return false;
    }
    return true;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = std::string("cannot create: ") + std::strerror(errno);
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        *error = "write error";
        return false;
    }
    return true;
}
