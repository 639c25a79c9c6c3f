// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/choreography.h"

#include <QHash>
#include <QPixmap>
#include <QRectF>
#include <QSvgRenderer>
#include <QTransform>

class QPainter;

// Draws Merlin from the bundled artwork in any pose. Each part is rendered
// once per size and device pixel ratio and then only placed, so a frame
// costs a few pixmap blits rather than a vector render.
class MerlinPuppet {
public:
    static constexpr qreal kArtWidth = 200;
    static constexpr qreal kArtHeight = 300;

    MerlinPuppet();

    bool isValid() const { return m_renderer.isValid(); }
    // Width for a figure `height` pixels tall, keeping the artwork's aspect.
    static int widthForHeight(int height);

    // Paints the figure with its top-left at `origin`, `height` pixels tall.
    void paint(QPainter &painter, QPointF origin, int height, qreal devicePixelRatio, const Pose &pose);
    // Where any of the mouth shapes would be drawn in `pose`, in the same
    // coordinates as paint(): a mouth change repaints only this.
    QRectF mouthArea(QPointF origin, int height, const Pose &pose) const;

private:
    struct Part {
        QPixmap pixmap;
        QRectF bounds; // in artwork units
    };
    const Part &part(const QString &id);
    void drawPart(QPainter &painter, const QString &id, qreal opacity = 1);

    QSvgRenderer m_renderer;
    QHash<QString, Part> m_parts;
    qreal m_cachedScale = 0;
    QRectF m_mouthBounds; // all mouth shapes, in artwork units
};
