// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>

Picture::Picture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("zorvali: picture %s not drawn: %s", qPrintable(path), qPrintable(file.errorString()));
        return;
    }
    auto renderer = std::make_shared<QSvgRenderer>(file.readAll());
    if (!renderer->isValid() || renderer->defaultSize().isEmpty()) {
        qWarning("zorvali: picture %s not drawn: not a valid SVG picture", qPrintable(path));
        return;
    }
    m_renderer = std::move(renderer);
}

void Picture::paint(QPainter &painter, const QRectF &target) const
{
    if (m_renderer)
        m_renderer->render(&painter, target);
}

QPixmap Picture::pixmap(QSize size, qreal devicePixelRatio) const
{
    if (!m_renderer)
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, QRectF(QPointF(), QSizeF(size)));
    return pixmap;
}

QIcon Picture::icon() const
{
    QIcon icon;
    if (m_renderer)
        for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
            icon.addPixmap(pixmap(QSize(side, side), 1));
    return icon;
}
