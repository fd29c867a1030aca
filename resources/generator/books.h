// The sample picture library: each book is a folder of line-art pictures.
#pragma once

#include "sketch.h"

#include <vector>

struct PictureSpec {
    const char *file;            // name with extension: .gif, or .bmp
    bool portrait;               // 480 x 640 instead of 640 x 480
    void (*draw)(Sketch &);
    bool oneBitBmp = false;      // .bmp only: 1-bit palette instead of 24-bit
};

std::vector<PictureSpec> farmAnimals();
std::vector<PictureSpec> vehicles();
std::vector<PictureSpec> theGarden();
std::vector<PictureSpec> atHome();

// A cubic curve from a to b, as one path.
QPainterPath curve(QPointF a, QPointF c1, QPointF c2, QPointF b);

// Shared scenery.
void ground(Sketch &s, double y, double wave = 6);
void sun(Sketch &s, double cx, double cy, double r, int rays = 10);
void cloud(Sketch &s, double cx, double cy, double scale);
void grassTuft(Sketch &s, double x, double y, double h);
