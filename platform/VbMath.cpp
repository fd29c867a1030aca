#include "VbMath.h"

#include "VbError.h"

#include <chrono>
#include <cmath>
#include <random>

namespace vb {

double RoundHalfEven(double v) {
    // std::nearbyint honours the current rounding mode, which is to-nearest-even by default.
    return std::nearbyint(v);
}

int32_t CLng(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(ErrOverflow);
    return static_cast<int32_t>(r);
}

int16_t CInt(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) Raise(ErrOverflow);
    return static_cast<int16_t>(r);
}

uint8_t CByte(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= 0.0 && r <= 255.0)) Raise(ErrOverflow);
    return static_cast<uint8_t>(r);
}

double Int(double v) { return std::floor(v); }
double Fix(double v) { return std::trunc(v); }

int32_t RGB(int32_t r, int32_t g, int32_t b) {
    auto clamp = [](int32_t c) { return c > 255 ? 255 : (c < 0 ? 0 : c); };
    return clamp(r) + 256 * clamp(g) + 65536 * clamp(b);
}

namespace {
std::mt19937& generator() {
    static std::mt19937 gen(12345u);
    return gen;
}
} // namespace

float Rnd() {
    // 24 random bits give every float in [0, 1) on a 2^-24 grid and never 1.0.
    return static_cast<float>(generator()() >> 8) * (1.0f / 16777216.0f);
}

void Randomize() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    generator().seed(static_cast<uint32_t>(now ^ (now >> 32)));
}

void SeedRnd(uint32_t seed) { generator().seed(seed); }

} // namespace vb
