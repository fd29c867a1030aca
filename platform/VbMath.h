#pragma once
// Number rules shared by the whole program: rounding of reals to integers (halves to
// the even neighbour), range-checked conversions that raise an overflow, and the one
// uniform random generator.

#include <cstdint>

namespace vb {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), as a double.
double RoundHalfEven(double v);

// Conversions that round half to even and raise an overflow error out of range.
int32_t CLng(double v);
int16_t CInt(double v);
uint8_t CByte(double v);

// Largest integer not above v (Int) and the integer part towards zero (Fix).
double Int(double v);
double Fix(double v);

// Colour value R + 256*G + 65536*B, components above 255 counting as 255.
int32_t RGB(int32_t r, int32_t g, int32_t b);

// The program's uniform generator of floats in [0, 1).
float Rnd();
// Reseeds from the clock.
void Randomize();
// Fixed seed, for tests.
void SeedRnd(uint32_t seed);

} // namespace vb
