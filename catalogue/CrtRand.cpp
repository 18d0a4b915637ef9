#include "catalogue/CrtRand.h"

namespace {
uint32_t g_state = 1;
}

int CrtRand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & CRT_RAND_MAX);
}

void CrtSrand(uint32_t seed) { g_state = seed; }
