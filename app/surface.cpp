// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/surface.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

Surface::Surface(const QColor &backColor, QWidget *parent) : QWidget(parent), m_backColor(backColor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::paintGradient(int red, int green)
{
    m_red = red;
    m_green = green;
    m_hasDrawing = true;
    update();
}

void Surface::clearDrawing()
{
    if (!m_hasDrawing)
        return;
    m_hasDrawing = false;
    update();
}

// The bands are filled straight into the dirty area at every repaint rather
// than kept in a window-sized image: filling costs less than copying, most of
// all at high pixel ratios.
void Surface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (!m_hasDrawing) {
        painter.fillRect(dirty, m_backColor);
        return;
    }
    const qreal dpr = devicePixelRatioF();
    const int rows = qRound(height() * dpr);
    const qreal width = this->width();
    // Whole device rows per band: band k covers [k*rows/256, (k+1)*rows/256),
    // so the bands tile the height with no gap and differ by at most a row.
    const int firstRow = std::max(0, int(std::floor(dirty.top() * dpr)));
    const int endRow = std::min(rows, int(std::ceil((dirty.bottom() + 1) * dpr)));
    for (int k = firstRow * kBands / rows; k < kBands; ++k) {
        const int top = k * rows / kBands;
        if (top >= endRow)
            break;
        const int bottom = (k + 1) * rows / kBands;
        painter.fillRect(QRectF(0, top / dpr, width, (bottom - top) / dpr), QColor(m_red, m_green, k));
    }
}
