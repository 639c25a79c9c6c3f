// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/merlinoverlay.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace {
// The idle loop is checked often enough to catch every blink; speech and
// moves ask for a frame on their own when they change something.
constexpr int kIdleFrameMs = 50;
constexpr QPointF kMouthInArt(100, 128);

QFont balloonFont(int pixelSize)
{
    QFont font;
    // Rounded, open letter shapes are the easiest for beginning readers.
    const QStringList preferred{QStringLiteral("Comic Neue"), QStringLiteral("Andika"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")};
    const QStringList available = QFontDatabase::families();
    for (const QString &family : preferred) {
        if (available.contains(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}
} // namespace

MerlinOverlay::MerlinOverlay()
{
    m_idleClock.start();
    m_sinceFrame.start();
    m_idleTimer.setInterval(kIdleFrameMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &MerlinOverlay::onIdleTick);
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { renderFrame(); });
    relayout();
}

MerlinOverlay::~MerlinOverlay()
{
    delete m_view.data();
}

void MerlinOverlay::setHost(QWidget &host, QPoint hostOrigin)
{
    delete m_view.data();
    auto *view = new QWidget(&host);
    view->setObjectName(QStringLiteral("Merlin"));
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->setFocusPolicy(Qt::NoFocus);
    view->hide();
    view->installEventFilter(this);
    m_view = view;
    m_hostOrigin = hostOrigin;
    m_frameValid = false;
    place();
    if (m_opacity > 0)
        setOpacity(m_opacity);
}

QSize MerlinOverlay::size() const
{
    const int pad = padding();
    const int balloonWidth = std::max(240, m_height * 3 / 2);
    return {pad + MerlinPuppet::widthForHeight(m_height) + pad + balloonWidth, pad + m_height + pad};
}

qreal MerlinOverlay::devicePixelRatio() const
{
    return m_view ? m_view->devicePixelRatioF() : qApp->devicePixelRatio();
}

void MerlinOverlay::place()
{
    if (m_view)
        m_view->setGeometry(QRect(m_topLeft - m_hostOrigin, size()));
}

int MerlinOverlay::padding() const
{
    return std::max(8, m_height / 8);
}

QRectF MerlinOverlay::figureRect() const
{
    const int pad = padding();
    return QRectF(pad, pad, MerlinPuppet::widthForHeight(m_height), m_height);
}

QRectF MerlinOverlay::balloonArea() const
{
    const QRectF figure = figureRect();
    const qreal left = figure.right() + padding() * 0.6;
    // Below the level of the game's verdict, which stands right of Merlin's
    // head, and above the answer box.
    const qreal top = m_height * 0.42;
    return QRectF(left, top, size().width() - left - 4, m_height * 0.58);
}

void MerlinOverlay::relayout()
{
    m_balloonFont = balloonFont(std::max(18, m_height / 9));
    place();
    layoutBalloon();
    m_frameValid = false;
    scheduleFrame();
}

void MerlinOverlay::onIdleTick()
{
    if (m_animation.isEmpty() && figureState(currentPose()) != m_drawnFigure)
        scheduleFrame();
}

MerlinOverlay::FigureState MerlinOverlay::figureState(const Pose &pose) const
{
    FigureState state;
    state.animation = m_animation;
    state.progress = m_progress;
    // The idle loop only counts when it moves him by a whole device pixel.
    state.idleOffset = qRound(pose.bodyDy * m_height / MerlinPuppet::kArtHeight * devicePixelRatio());
    state.eyesClosed = pose.eyesClosed;
    return state;
}

void MerlinOverlay::setOpacity(qreal opacity)
{
    m_opacity = std::clamp<qreal>(opacity, 0, 1);
    if (m_opacity > 0 && m_view && m_view->isHidden()) {
        renderFrame(false);
        m_view->raise();
        m_view->show();
        m_idleTimer.start();
    }
    scheduleFrame();
}

void MerlinOverlay::setTopLeft(QPoint topLeft)
{
    m_topLeft = topLeft;
    place();
}

void MerlinOverlay::setCharacterHeight(int pixels)
{
    if (pixels == m_height)
        return;
    m_height = pixels;
    relayout();
}

void MerlinOverlay::setAnimation(const QString &animation, qreal progress)
{
    m_animation = animation;
    m_progress = progress;
    scheduleFrame();
}

void MerlinOverlay::setMouth(MouthShape mouth)
{
    if (mouth == m_mouth)
        return;
    m_mouth = mouth;
    scheduleFrame();
}

void MerlinOverlay::setBalloon(const QString &text)
{
    if (text == m_balloon)
        return;
    m_balloon = text;
    layoutBalloon();
    scheduleFrame();
}

void MerlinOverlay::freezeIdleAt(qint64 idleMs)
{
    m_frozenIdleMs = idleMs;
    scheduleFrame();
}

void MerlinOverlay::renderPending()
{
    m_frameTimer.stop();
    renderFrame();
}

void MerlinOverlay::scheduleFrame()
{
    if (m_frameTimer.isActive())
        return;
    m_frameTimer.start(int(std::clamp<qint64>(kFrameMs - m_sinceFrame.elapsed(), 0, kFrameMs)));
}

void MerlinOverlay::renderFrame(bool repaint)
{
    m_sinceFrame.start();
    const qreal dpr = devicePixelRatio();
    if (!m_balloonPixmap.isNull() && m_balloonPixmap.devicePixelRatio() != dpr)
        layoutBalloon();
    const QRect area(QPoint(0, 0), size());
    const QSize pixels = (QSizeF(area.size()) * dpr).toSize();
    if (m_frame.size() != pixels || m_frame.devicePixelRatio() != dpr) {
        m_frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_frame.setDevicePixelRatio(dpr);
        m_frameValid = false;
    }
    const Pose pose = currentPose();
    const FigureState figure = figureState(pose);
    const QRect figureArea = figureRect().adjusted(-padding(), -padding(), padding(), padding()).toAlignedRect() & area;

    QRegion dirty;
    if (!m_frameValid || m_opacity != m_drawnOpacity) {
        dirty = area;
    } else {
        if (figure != m_drawnFigure)
            dirty += figureArea;
        else if (pose.mouth != m_drawnMouth)
            dirty += m_puppet.mouthArea(figureRect().topLeft(), m_height, pose).toAlignedRect().adjusted(-2, -2, 2, 2);
        if (m_balloonChanged) {
            dirty += m_drawnBalloonBounds;
            dirty += m_balloonBounds;
        }
    }
    m_balloonChanged = false;
    if (dirty.isEmpty())
        return;

    {
        QPainter painter(&m_frame);
        painter.setClipRegion(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(m_opacity);
        m_puppet.paint(painter, figureRect().topLeft(), m_height, dpr, pose);
        if (!m_balloonPixmap.isNull())
            painter.drawPixmap(m_balloonBounds.topLeft(), m_balloonPixmap);
    }
    m_frameValid = true;
    m_drawnFigure = figure;
    m_drawnMouth = pose.mouth;
    m_drawnBalloonBounds = m_balloonBounds;
    m_drawnOpacity = m_opacity;
    if (repaint && m_view)
        m_view->update(dirty);
}

Pose MerlinOverlay::currentPose() const
{
    const qint64 idle = m_frozenIdleMs >= 0 ? m_frozenIdleMs : m_idleClock.elapsed();
    Pose pose = Choreography::pose(m_animation, m_progress, idle);
    pose.mouth = m_mouth;
    return pose;
}

bool MerlinOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view || event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    paint(static_cast<QPaintEvent *>(event)->region());
    return true;
}

void MerlinOverlay::paint(const QRegion &region)
{
    // Drawn now, not at the next frame: the host has just repainted beneath.
    if (!m_frameValid || m_frame.devicePixelRatio() != devicePixelRatio())
        renderFrame(false);
    QPainter painter(m_view.data());
    const qreal dpr = m_frame.devicePixelRatio();
    for (const QRect &r : region)
        painter.drawImage(QRectF(r), m_frame, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
}

void MerlinOverlay::layoutBalloon()
{
    m_balloonChanged = true;
    m_balloonShown.clear();
    m_balloonPixmap = QPixmap();
    m_balloonBounds = QRect();
    if (m_balloon.isEmpty())
        return;
    const QRectF area = balloonArea();
    const int fontPixels = m_balloonFont.pixelSize();
    const QFontMetricsF metrics(m_balloonFont);
    const qreal inset = fontPixels * 0.6;
    const QRectF textBox(0, 0, area.width() - 2 * inset, area.height() - 2 * inset);
    const auto fits = [&](const QString &text, QRectF *needed) {
        const QRectF r = metrics.boundingRect(textBox, Qt::TextWordWrap | Qt::AlignLeft, text);
        if (needed)
            *needed = r;
        return r.height() <= textBox.height();
    };

    // Long sentences keep their newest words in view: drop as few leading
    // words as needed for the rest to fit.
    const QStringList words = m_balloon.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto tail = [&](qsizetype dropped) {
        return dropped == 0 ? m_balloon : QStringLiteral("… ") + words.mid(dropped).join(QLatin1Char(' '));
    };
    qsizetype low = 0;
    qsizetype high = std::max<qsizetype>(0, words.size() - 1);
    if (!fits(tail(0), nullptr)) {
        low = 1;
        while (low < high) {
            const qsizetype mid = (low + high) / 2;
            if (fits(tail(mid), nullptr))
                high = mid;
            else
                low = mid + 1;
        }
    }
    m_balloonShown = tail(low);
    QRectF needed;
    fits(m_balloonShown, &needed);
    const qreal boxWidth = std::min(area.width(), std::max(needed.width(), fontPixels * 2.0) + 2 * inset);
    const qreal boxHeight = std::min(area.height(), needed.height() + 2 * inset);
    m_balloonBox = QRectF(area.left(), area.top(), boxWidth, boxHeight);
    renderBalloon();
}

void MerlinOverlay::renderBalloon()
{
    if (m_balloonShown.isEmpty())
        return;
    const QRectF box = m_balloonBox;
    const int fontPixels = m_balloonFont.pixelSize();
    const qreal inset = fontPixels * 0.6;
    const QRectF figure = figureRect();
    const QPointF mouth(figure.left() + kMouthInArt.x() * figure.width() / MerlinPuppet::kArtWidth,
                        figure.top() + kMouthInArt.y() * figure.height() / MerlinPuppet::kArtHeight);
    const qreal tailTop = std::min(box.bottom() - fontPixels * 0.9, box.top() + box.height() * 0.45);
    QPainterPath path;
    path.addRoundedRect(box, fontPixels * 0.7, fontPixels * 0.7);
    QPainterPath tail;
    tail.moveTo(box.left() + 1, tailTop);
    tail.lineTo(mouth + QPointF(figure.width() * 0.22, 0));
    tail.lineTo(box.left() + 1, tailTop + fontPixels * 0.7);
    tail.closeSubpath();
    path = path.united(tail);

    const qreal penWidth = std::max(2.0, fontPixels / 8.0);
    m_balloonBounds = path.boundingRect().adjusted(-penWidth, -penWidth, penWidth, penWidth).toAlignedRect();
    const qreal dpr = devicePixelRatio();
    m_balloonPixmap = QPixmap((QSizeF(m_balloonBounds.size()) * dpr).toSize());
    m_balloonPixmap.setDevicePixelRatio(dpr);
    m_balloonPixmap.fill(Qt::transparent);
    QPainter painter(&m_balloonPixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-m_balloonBounds.topLeft());
    painter.setPen(QPen(QColor(0x1a, 0x23, 0x7e), penWidth));
    painter.setBrush(QColor(0xff, 0xfd, 0xf2));
    painter.drawPath(path);
    painter.setFont(m_balloonFont);
    painter.setPen(QColor(0x1a, 0x23, 0x7e));
    painter.drawText(box.adjusted(inset, inset, -inset, -inset), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter,
                     m_balloonShown);
}
