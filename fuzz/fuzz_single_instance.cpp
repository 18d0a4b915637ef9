// The request parser of the single-instance socket: a peer can send any
// bytes. Whatever parses must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/framework/SingleInstanceProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t bodySize = 0;
    if (ParseHandOverHeader(data, size, bodySize) == 0 &&
        bodySize > HANDOVER_MAX_ROOT + 2 * (HANDOVER_MAX_PATH + HANDOVER_MAX_COMMAND_LINE))
        std::abort();
    HandOverRequest request;
    if (ParseHandOverRequest(data, size, request) != 0) return 0;
    std::vector<uint8_t> again;
    if (EncodeHandOverRequest(request, again) != 0) std::abort();
    if (again != std::vector<uint8_t>(data, data + size)) std::abort();
    return 0;
}
