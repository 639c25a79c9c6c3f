// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <memory>

class QPainter;
class QSvgRenderer;

// One of the program's own SVG pictures, drawn by the SVG library the
// program links, never through an image plugin that a system may not have.
// A picture that cannot be read or parsed is logged with its cause once, at
// loading, and then draws nothing: the control that shows it still works.
class Picture {
public:
    Picture() = default;
    explicit Picture(const QString &path);

    bool isNull() const { return !m_renderer; }
    // Drawn at the pixel density of whatever the painter paints on.
    void paint(QPainter &painter, const QRectF &target) const;
    // `size` in device-independent pixels, made at `devicePixelRatio`.
    QPixmap pixmap(QSize size, qreal devicePixelRatio) const;
    // An icon holding the sizes desktops ask for (16 to 256 pixels).
    QIcon icon() const;

private:
    std::shared_ptr<QSvgRenderer> m_renderer;
};
