// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/merlinpuppet.h"

#include <QPainter>

namespace {

// Pivots in artwork units.
constexpr QPointF kLeftShoulder(80, 150);
constexpr QPointF kRightShoulder(120, 150);
constexpr QPointF kNeck(100, 132);
constexpr QPointF kHatBrim(100, 87);
constexpr QPointF kFeet(100, 296);
constexpr QPointF kBurstCentre(100, 150);
constexpr qreal kMargin = 2;

QString mouthPart(MouthShape mouth)
{
    switch (mouth) {
    case MouthShape::Rest:
        return QStringLiteral("mouth_rest");
    case MouthShape::Closed:
        return QStringLiteral("mouth_closed");
    case MouthShape::Open:
        return QStringLiteral("mouth_open");
    case MouthShape::Wide:
        return QStringLiteral("mouth_wide");
    case MouthShape::Round:
        return QStringLiteral("mouth_round");
    case MouthShape::Narrow:
        return QStringLiteral("mouth_narrow");
    }
    return QStringLiteral("mouth_rest");
}

template<typename Transformable>
void rotateAbout(Transformable &t, QPointF pivot, qreal degrees)
{
    t.translate(pivot.x(), pivot.y());
    t.rotate(degrees);
    t.translate(-pivot.x(), -pivot.y());
}

// The whole figure's placement: origin, size, and the bob and breath.
template<typename Transformable>
void placeBody(Transformable &t, QPointF origin, qreal scale, const Pose &pose)
{
    t.translate(origin.x(), origin.y());
    t.scale(scale, scale);
    t.translate(0, pose.bodyDy);
    t.translate(kFeet.x(), kFeet.y());
    t.scale(1, pose.bodyScaleY);
    t.translate(-kFeet.x(), -kFeet.y());
}

} // namespace

MerlinPuppet::MerlinPuppet()
    : m_renderer(QStringLiteral(":/merlin/merlin.svg"))
{
    if (!m_renderer.isValid()) {
        qWarning("zorvali: il disegno di Merlin non si carica");
        return;
    }
    for (const MouthShape mouth : {MouthShape::Rest, MouthShape::Closed, MouthShape::Open, MouthShape::Wide,
                                   MouthShape::Round, MouthShape::Narrow})
        m_mouthBounds |= m_renderer.boundsOnElement(mouthPart(mouth));
    m_mouthBounds.adjust(-kMargin, -kMargin, kMargin, kMargin);
}

int MerlinPuppet::widthForHeight(int height)
{
    return qRound(height * kArtWidth / kArtHeight);
}

const MerlinPuppet::Part &MerlinPuppet::part(const QString &id)
{
    auto found = m_parts.find(id);
    if (found != m_parts.end())
        return *found;
    Part p;
    p.bounds = m_renderer.boundsOnElement(id).adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QSize pixels = (p.bounds.size() * m_cachedScale).toSize() + QSize(1, 1);
    p.pixmap = QPixmap(pixels);
    p.pixmap.fill(Qt::transparent);
    QPainter painter(&p.pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(m_cachedScale, m_cachedScale);
    painter.translate(-p.bounds.topLeft());
    m_renderer.render(&painter, id, m_renderer.boundsOnElement(id));
    painter.end();
    return *m_parts.insert(id, p);
}

void MerlinPuppet::drawPart(QPainter &painter, const QString &id, qreal opacity)
{
    if (opacity <= 0.01)
        return;
    const Part &p = part(id);
    const qreal before = painter.opacity();
    painter.setOpacity(before * opacity);
    painter.drawPixmap(p.bounds, p.pixmap, QRectF(p.pixmap.rect()));
    painter.setOpacity(before);
}

void MerlinPuppet::paint(QPainter &painter, QPointF origin, int height, qreal devicePixelRatio, const Pose &pose)
{
    if (!m_renderer.isValid() || height <= 0)
        return;
    const qreal scale = height / kArtHeight;
    const qreal pixelScale = scale * devicePixelRatio;
    if (!qFuzzyCompare(pixelScale, m_cachedScale)) {
        m_parts.clear();
        m_cachedScale = pixelScale;
        // Render every part now, so no animation pays for it mid-move.
        for (const char *id : {"robe", "arm_left", "head", "eyes_open", "eyes_closed", "eyes_happy", "beard",
                               "mouth_rest", "mouth_closed", "mouth_open", "mouth_wide", "mouth_round",
                               "mouth_narrow", "mustache", "hat", "arm_right", "sparkle", "burst"})
            part(QString::fromLatin1(id));
    }

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(origin);
    painter.scale(scale, scale);
    if (pose.burst > 0) {
        painter.save();
        painter.translate(kBurstCentre);
        painter.scale(pose.burstScale, pose.burstScale);
        painter.rotate(pose.burstScale * 40);
        painter.translate(-kBurstCentre);
        drawPart(painter, QStringLiteral("burst"), pose.burst);
        painter.restore();
    }

    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    placeBody(painter, origin, scale, pose);

    drawPart(painter, QStringLiteral("robe"));
    painter.save();
    rotateAbout(painter, kLeftShoulder, pose.leftArmDeg);
    drawPart(painter, QStringLiteral("arm_left"));
    painter.restore();

    painter.save();
    rotateAbout(painter, kNeck, pose.headDeg);
    drawPart(painter, QStringLiteral("head"));
    if (pose.smile)
        drawPart(painter, QStringLiteral("eyes_happy"));
    else if (pose.eyesClosed)
        drawPart(painter, QStringLiteral("eyes_closed"));
    else
        drawPart(painter, QStringLiteral("eyes_open"));
    drawPart(painter, QStringLiteral("beard"));
    drawPart(painter, mouthPart(pose.mouth));
    drawPart(painter, QStringLiteral("mustache"));
    painter.translate(0, pose.hatDy);
    rotateAbout(painter, kHatBrim, pose.hatDeg);
    drawPart(painter, QStringLiteral("hat"));
    painter.restore();

    painter.save();
    rotateAbout(painter, kRightShoulder, pose.rightArmDeg);
    drawPart(painter, QStringLiteral("arm_right"));
    drawPart(painter, QStringLiteral("sparkle"), pose.sparkle);
    painter.restore();

    painter.restore();
}

QRectF MerlinPuppet::mouthArea(QPointF origin, int height, const Pose &pose) const
{
    if (!m_renderer.isValid() || height <= 0)
        return QRectF();
    QTransform t;
    placeBody(t, origin, height / kArtHeight, pose);
    rotateAbout(t, kNeck, pose.headDeg);
    return t.mapRect(m_mouthBounds);
}
