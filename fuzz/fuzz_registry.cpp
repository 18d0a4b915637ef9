// The .reg hive parser: any bytes must parse without reading past the input,
// and what is written back must read back to the same hive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string first = RegistryHive::Parse(input).Serialize();
    const std::string second = RegistryHive::Parse(first).Serialize();
    if (first != second) std::abort();
    return 0;
}
