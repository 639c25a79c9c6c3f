// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/surface.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

Surface::Surface(const QColor &backColor, QWidget *parent) : QWidget(parent), m_backColor(backColor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::ensureImage()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_drawing.size() == pixels && m_drawing.devicePixelRatio() == dpr)
        return;
    // Opaque, so showing it is a plain copy rather than a blend per pixel.
    m_drawing = QImage(pixels, QImage::Format_RGB32);
    m_drawing.setDevicePixelRatio(dpr);
    m_drawing.fill(m_backColor);
    m_hasDrawing = false;
}

void Surface::paintGradient(int red, int green)
{
    ensureImage();
    const int rows = m_drawing.height();
    const int columns = m_drawing.width();
    // Whole device rows per band: band k covers [k*rows/256, (k+1)*rows/256),
    // so the bands tile the height with no gap and differ by at most a row.
    for (int k = 0; k < kBands; ++k) {
        const QRgb color = qRgb(red, green, k);
        const int top = k * rows / kBands;
        const int bottom = (k + 1) * rows / kBands;
        for (int y = top; y < bottom; ++y) {
            auto *line = reinterpret_cast<QRgb *>(m_drawing.scanLine(y));
            std::fill(line, line + columns, color);
        }
    }
    m_hasDrawing = true;
    update();
}

void Surface::clearDrawing()
{
    if (!m_hasDrawing)
        return;
    m_drawing.fill(m_backColor);
    m_hasDrawing = false;
    update();
}

void Surface::resizeEvent(QResizeEvent *)
{
    ensureImage();
}

void Surface::paintEvent(QPaintEvent *event)
{
    ensureImage();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect dirty = event->rect();
    const qreal dpr = m_drawing.devicePixelRatio();
    painter.drawImage(dirty, m_drawing, QRectF(QPointF(dirty.topLeft()) * dpr, QSizeF(dirty.size()) * dpr));
}
