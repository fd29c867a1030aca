#pragma once
// Pixel buffers and pictures for the painting tests and benchmarks, made in memory.

#include "Gdi.h"
#include "PictureHost.h"
#include "cNDib.h"

#include <QImage>
#include <QPainter>

namespace testing {

// A bare persistent image that cNDib can be filled from and drawn onto.
struct ImageHost : vb::PictureHost {
    vb::DeviceContext dc;
    explicit ImageHost(const QImage& img) { dc.setImage(img); }
    vb::HDC hDC() override { return &dc; }
    void SetWidth(float) override {}
    void SetHeight(float) override {}
};

inline cNDib dibOf(const QImage& img) {
    ImageHost host(img);
    cNDib d;
    if (!d.Make_From_Picture(host)) qFatal("Make_From_Picture failed");
    return d;
}

inline QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A grey brush: transparent (255) everywhere but a disc of the given value around the
// brush's centre pixel (Width \ 2, Height \ 2), `darkest` at the centre itself.
inline QImage discBrush(int w, int h, int darkest, int radius) {
    QImage img = solid(w, h, qRgb(255, 255, 255));
    const int cx = (w - 1) / 2, cy = (h - 1) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 > radius * radius) continue;
            const int v = darkest + (255 - darkest) * d2 / (radius * radius + 1);
            img.setPixel(x, y, qRgb(v, v, v));
        }
    return img;
}

// Typical line art: black outlines on pure white, closed shapes that touch nothing else.
inline QImage lineArt(int w, int h) {
    QImage img = solid(w, h, qRgb(255, 255, 255));
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 3));
    for (int i = 0; i < 12; ++i) p.drawEllipse(40 + i * 75, 100 + (i % 3) * 150, 120, 200);
    p.drawRect(w / 2 - 150, h / 2 - 100, 300, 200);
    return img;
}

inline uint32_t rgbAt(const cNDib& d, int x, int y) {
    uint8_t r = 0, g = 0, b = 0;
    d.Get_Pixel(x, y, r, g, b);
    return qRgb(r, g, b) & 0xFFFFFF;
}

} // namespace testing
