// Measures LoadPackage on a real package against the floor of copying every
// file's bytes into buffers of their own, in the same process and run.
//
//   package_load_bench PACKAGE [REPEATS]     timing
//   package_load_bench --memory PACKAGE      peak resident memory of one load
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "records/installer_state.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Where each file's bytes sit in the package, found by pointer arithmetic on
// one borrowing load: the floor copies exactly these ranges.
struct Region {
    size_t Offset;
    size_t Size;
};

std::vector<Region> FileRegions(const std::vector<uint8_t>& package) {
    InstallerState state;
    std::vector<Region> regions;
    if (!LoadPackage(state, package.data(), package.size(), nullptr, PackageBytes::Borrow))
        return regions;
    for (const PackageFile& file : state.Tree->AllFiles)
        regions.push_back({file.Size ? static_cast<size_t>(file.Data - package.data()) : 0, file.Size});
    return regions;
}

double TimeCopy(const std::vector<uint8_t>& package, const std::vector<Region>& regions) {
    auto start = Clock::now();
    std::vector<std::vector<uint8_t>> copies;
    for (const Region& region : regions)
        copies.emplace_back(package.begin() + region.Offset, package.begin() + region.Offset + region.Size);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (copies.size() != regions.size())
        std::abort();
    return seconds;
}

double TimeLoad(const std::vector<uint8_t>& package, PackageBytes how) {
    InstallerState state;
    auto start = Clock::now();
    bool ok = LoadPackage(state, package.data(), package.size(), nullptr, how);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ok)
        std::abort();
    return seconds;
}

int RunTiming(const char* path, int repeats) {
    std::vector<uint8_t> package = ReadFile(path);
    std::vector<Region> regions = FileRegions(package);
    if (regions.empty()) {
        std::fprintf(stderr, "%s: not a valid package\n", path);
        return 1;
    }
    std::vector<double> loads, borrows, copies;
    for (int i = 0; i < repeats; ++i) {
        copies.push_back(TimeCopy(package, regions));
        loads.push_back(TimeLoad(package, PackageBytes::Copy));
        borrows.push_back(TimeLoad(package, PackageBytes::Borrow));
    }
    double mb = package.size() / 1e6, load = Median(loads), copy = Median(copies), borrow = Median(borrows);
    std::printf("package          %.2f MB, %zu files, %d repeats (medians)\n", mb, regions.size(), repeats);
    std::printf("LoadPackage      %8.3f ms  %8.0f MB/s\n", load * 1e3, mb / load);
    std::printf("plain copy       %8.3f ms  %8.0f MB/s\n", copy * 1e3, mb / copy);
    std::printf("ratio            %8.2fx the copy (target: within 2x)\n", load / copy);
    std::printf("borrowing load   %8.3f ms  (the installer's own image: no copy)\n", borrow * 1e3);
    return 0;
}

int RunMemory(const char* path) {
    long before = PeakRssKiB();
    std::vector<uint8_t> package = ReadFile(path);
    InstallerState state;
    if (!LoadPackage(state, package.data(), package.size()))
        return 1;
    long peak = PeakRssKiB() - before;
    double packageKiB = package.size() / 1024.0;
    std::printf("peak memory      %ld KiB for a %.0f KiB package: %.2fx (target: within 2x plus a small constant)\n",
                peak, packageKiB, peak / packageKiB);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return RunMemory(argv[2]);
    if (argc == 2 || argc == 3)
        return RunTiming(argv[1], argc == 3 ? std::atoi(argv[2]) : 21);
    std::fprintf(stderr, "usage: package_load_bench PACKAGE [REPEATS] | --memory PACKAGE\n");
    return 2;
}
