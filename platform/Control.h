#pragma once
// Place and size of any control in the scale unit of its container: pixels inside a
// picture area or window that counts in pixels, twips inside one that counts in twips,
// and twips for a window's own place on the screen.

#include <QWidget>

namespace vb {

constexpr int16_t vbTwips = 1;
constexpr int16_t vbPixels = 3;

// Twips or pixels per pixel of the control's container (15 or 1).
double ContainerUnit(const QWidget* w);

float ControlLeft(const QWidget* w);
float ControlTop(const QWidget* w);
float ControlWidth(const QWidget* w);
float ControlHeight(const QWidget* w);
// Negative width or height keeps the current one.
void ControlMove(QWidget* w, float left, float top, float width = -1, float height = -1);
void SetControlLeft(QWidget* w, float v);
void SetControlTop(QWidget* w, float v);
void SetControlWidth(QWidget* w, float v);
void SetControlHeight(QWidget* w, float v);

// A whole pixel count from a value in some unit, rounding halves to even.
int ToPixels(double value, double unit);

} // namespace vb
