// Command-line entry of the package tool off Windows: arguments are UTF-8.
#include <iostream>

#include "tools/pkgtool/pkgtool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunPkgtool(args, std::cout, std::cerr);
}
