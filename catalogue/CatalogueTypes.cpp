#include "catalogue/CatalogueTypes.h"

#include <mutex>

#include "platform/base/Time.h"

namespace {
// Identifiers are also made for trailers written by the browser's
// thumbnail threads, so the generator's state is taken one caller at a time.
std::mutex g_generatorLock;
uint16_t g_seedWord = 0;
uint16_t g_processWord = 0;
uint16_t g_randomState = 0;

uint16_t DrawRandom() {
    g_randomState = NextRandom16(g_randomState);
    return g_randomState;
}
}  // namespace

uint16_t NextRandom16(uint16_t state) {
    const uint32_t s = state;
    const uint32_t a = s ^ (s << 1);
    const uint32_t b = s ^ (a << 2);
    const uint32_t c = b ^ (s << 12);
    const uint32_t d = b ^ (c >> 4);
    const uint32_t e = b ^ (d >> 4);
    const uint32_t n = (((((c >> 14) & 3) ^ (c >> 13)) & 7) ^ (e >> 4) ^ b) & 0x000F;
    return static_cast<uint16_t>((c & 0xF000) | (d & 0x0F00) | (e & 0x00F0) | n);
}

void ResetRecordIdGenerator() {
    std::lock_guard<std::mutex> lock(g_generatorLock);
    g_seedWord = 0;
    g_processWord = 0;
    g_randomState = 0;
}

RecordId NewRecordId() {
    std::lock_guard<std::mutex> lock(g_generatorLock);
    if (g_seedWord == 0) {
        // A zero tick would leave the generator stuck at zero; start it at 1.
        g_seedWord = static_cast<uint16_t>(GetTickCount());
        if (g_seedWord == 0) g_seedWord = 1;
        // Seeding only takes while the generator has no state yet.
        if (g_randomState == 0) g_randomState = g_seedWord;
    }
    if (g_processWord == 0) g_processWord = DrawRandom();
    const uint16_t r1 = DrawRandom();
    const uint16_t r2 = DrawRandom();
    RecordId id{};
    WriteBE16(&id[0], g_processWord);
    id[2] = static_cast<uint8_t>(r2 >> 8);
    id[3] = static_cast<uint8_t>(r1);
    WriteBE32(&id[4], Seconds1904Now());
    return id;
}

std::u16string JoinPath(std::u16string_view left, std::u16string_view right) {
    std::u16string out(left);
    if (!left.empty() && left.back() != u'\\' && !right.empty() && right.front() != u'\\') {
        out += u'\\';
    }
    out += right;
    return out;
}
