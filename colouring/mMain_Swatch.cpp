#include "mMain_Swatch.h"

#include "Gdi.h"
#include "VbError.h"
#include "VbMath.h"

#include <cmath>

using namespace vb;

void SplitRGB(int32_t Color, uint8_t& R, uint8_t& G, uint8_t& B) {
    if (Color < 0) Raise(ErrOverflow);
    R = uint8_t(Color % 256);
    G = uint8_t((Color / 256) % 256);
    B = uint8_t((Color / 65536) % 256);
}

namespace {

int32_t N(double v) {
    return CLng(v);
}

// One shadow pixel: each channel of the fade colour goes through `channel`.
template <typename Channel>
void putShadow(HDC dc, const ShadowInfo& Info, int32_t x, int32_t y, Channel channel) {
    SetPixel(dc, x + Info.OffsetX, y + Info.OffsetY,
             RGB(channel(Info.R), channel(Info.G), channel(Info.B)));
}

} // namespace

void DrawShadow(PictureArea& Pic, ShadowInfo& Info) {
    // A shadow without width has nothing to fade over.
    if (!Info.Visible || Info.Size <= 0) return;
    HDC dc = Pic.hDC();
    const int32_t L = Info.Left, T = Info.Top, W = Info.Width, H = Info.Height;
    const int32_t R = Info.Radius, S = Info.Size;

    // Side bands.
    for (int32_t y = T + R; y <= T + H - R; ++y) {
        for (int32_t x = N(float(L - S)); x <= L; ++x) {
            const float t = float(double(x - (L - S)) / S);
            putShadow(dc, Info, x, y, [t](uint8_t c) { return N(float(c) - t * float(c)); });
        }
        for (int32_t x = L + W; x <= N(float(L + W + S)); ++x) {
            const float t = float(double(x - (L + W)) / S);
            putShadow(dc, Info, x, y, [t](uint8_t c) { return N(float(c) * t); });
        }
    }

    // Corners: the top-left quarter circle, copied down and mirrored across.
    for (int32_t i = 0; i <= R + S; ++i) {
        const int32_t yTop = T + R - i;
        const int32_t yBottom = T + H - R + i;
        const double ii = double(i) * i;
        const int32_t xIn = i <= R ? N(L + R - std::sqrt(std::fabs(double(R) * R - ii))) : L + R;
        const int32_t xOut = (L + R + S) - N(std::sqrt(double(R + S) * (R + S) - ii) + S);
        for (int32_t x = xOut; x <= xIn; ++x) {
            const double dx = x - (L + R);
            const double d = std::sqrt(dx * dx + ii);
            const float t = float((d - R) / S);
            auto channel = [t](uint8_t c) { return N(std::fabs(float(c) * t)); };
            putShadow(dc, Info, x, yTop, channel);
            putShadow(dc, Info, x, yBottom, channel);
            putShadow(dc, Info, 2 * L + W - x, yTop, channel);
            putShadow(dc, Info, 2 * L + W - x, yBottom, channel);
        }
    }

    // Top and bottom bands.
    for (int32_t j = 0; j <= S; ++j) {
        const float t = float(double(j) / S);
        auto channel = [t](uint8_t c) { return N(float(c) - float(c) * t); };
        for (int32_t k = 0; k <= N(W - 2.0 * R); ++k) {
            putShadow(dc, Info, L + R + k, T - S + j, channel);
            putShadow(dc, Info, L + R + k, T + H + S - j, channel);
        }
    }
}

void DrawGradient(GradientInfo& Info, PictureArea& Pic, int32_t& X, int32_t& Y, int32_t& W,
                  int32_t& H) {
    if (X == -1) X = 0;
    if (Y == -1) Y = 0;
    if (W == -1) W = N(Pic.ScaleWidth());
    if (H == -1) H = N(Pic.ScaleHeight());
    // The band always runs downwards from Colors(0) towards Colors(1); it needs both.
    if (Info.Colors.size() < 2) return;
    HDC dc = Pic.hDC();

    const float seg = float(std::fabs(double(H)) / double(Info.Colors.size() - 1));
    const RGBTriple& c0 = Info.Colors[0];
    const RGBTriple& c1 = Info.Colors[1];
    float r = c0.R, g = c0.G, b = c0.B;
    // A band without height stays as it is (its steps would divide by zero).
    const float dr = seg != 0 ? float((double(c1.R) - c0.R) / seg) : 0.0f;
    const float dg = seg != 0 ? float((double(c1.G) - c0.G) / seg) : 0.0f;
    const float db = seg != 0 ? float((double(c1.B) - c0.B) / seg) : 0.0f;

    for (int32_t j = 0; j <= N(seg); ++j) {
        const float t = seg != 0 ? float((double(seg) - j) / seg) : 0.0f;
        const float keep = 1.0f - t;
        const int32_t y = Y + j;
        for (int32_t x = X; x <= X + W; ++x) {
            const uint32_t old = GetPixel(dc, x, y);
            // The invalid colour of a point outside the picture cannot be split: skip it.
            if (old == CLR_INVALID) continue;
            uint8_t oR = 0, oG = 0, oB = 0;
            SplitRGB(int32_t(old), oR, oG, oB);
            SetPixel(dc, x, y,
                     RGB(N(r * t + keep * float(oR)), N(g * t + keep * float(oG)),
                         N(b * t + keep * float(oB))));
        }
        r += dr;
        g += dg;
        b += db;
    }
}
