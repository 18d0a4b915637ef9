#include <iostream>

#include "platform/base/Collation.h"
#include "tools/kvtool/Kvtool.h"

int main(int argc, char** argv) {
    UseUserCollation();
    return RunKvtool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
