#include <iostream>

#include "tools/kvtool/Kvtool.h"

int main(int argc, char** argv) {
    return RunKvtool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
