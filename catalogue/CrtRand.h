#pragma once
#include <cstdint>

// The handheld C runtime's rand: a linear congruential generator whose
// state starts at 1 and is never seeded by the program, so each run draws
// the same sequence. Values lie in 0..CRT_RAND_MAX.
constexpr int CRT_RAND_MAX = 0x7FFF;

int CrtRand();
// As srand: tests start the sequence again with CrtSrand(1).
void CrtSrand(uint32_t seed);
