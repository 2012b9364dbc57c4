// make_filler OUTPUT SIZE [SEED]
//
// Writes SIZE pseudo-random bytes to OUTPUT. The generator (xorshift64*) is
// seeded from the text SEED, or from OUTPUT's bare file name when SEED is
// absent, never from where the build runs: the demo payload's driver binaries
// are the same on every machine without committing megabytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string BareName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint64_t SeedFromText(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash ? hash : 1;  // xorshift never leaves zero
}

uint64_t Next(uint64_t* state) {
    *state ^= *state >> 12;
    *state ^= *state << 25;
    *state ^= *state >> 27;
    return *state * 2685821657736338717ull;
}

bool WriteFiller(const std::string& path, uint64_t size, const std::string& seed) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    uint64_t state = SeedFromText(seed);
    std::vector<unsigned char> chunk;
    for (uint64_t written = 0; written < size; written += chunk.size()) {
        chunk.resize(static_cast<size_t>(std::min<uint64_t>(size - written, 65536)));
        for (size_t i = 0; i < chunk.size(); i += 8) {
            const uint64_t value = Next(&state);
            for (size_t b = 0; b < 8 && i + b < chunk.size(); ++b)
                chunk[i + b] = static_cast<unsigned char>(value >> (8 * b));
        }
        std::fwrite(chunk.data(), 1, chunk.size(), out);
    }
    const bool failed = std::ferror(out) != 0;
    return std::fclose(out) == 0 && !failed;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const bool validCount = argc == 3 || argc == 4;
    const unsigned long long size = validCount ? std::strtoull(argv[2], &end, 10) : 0;
    if (!validCount || *argv[2] == '\0' || *end != '\0') {
        std::fprintf(stderr, "usage: make_filler OUTPUT SIZE [SEED]\n");
        return 2;
    }
    if (!WriteFiller(argv[1], size, argc == 4 ? argv[3] : BareName(argv[1]))) {
        std::fprintf(stderr, "make_filler: %s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
