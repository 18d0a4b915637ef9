#include <iostream>

#include "platform/base/Collation.h"
#include "tools/kvtool/Kvtool.h"

int main(int argc, char** argv) {
    UseUserCollation();
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "kvtool " << KV_VERSION << "\n";
        return 0;
    }
    return RunKvtool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
