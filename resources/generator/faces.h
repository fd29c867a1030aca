// Pictures drawn inside the toolbar faces; each fills the given box.
#pragma once

#include <QPainter>
#include <QRectF>

namespace icons {
void openBook(QPainter &p, const QRectF &box);
void eraser(QPainter &p, const QRectF &box);
void undoArrow(QPainter &p, const QRectF &box);
void crazyRainbow(QPainter &p, const QRectF &box);
void crayon(QPainter &p, const QRectF &box);
void paintbrush(QPainter &p, const QRectF &box);
void pencil(QPainter &p, const QRectF &box);
void marker(QPainter &p, const QRectF &box);
} // namespace icons
