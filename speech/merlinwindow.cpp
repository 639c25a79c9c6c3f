#include "speech/merlinwindow.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace {
// The idle loop is checked often enough to catch every blink; speech and
// moves repaint on their own when they change something.
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

MerlinWindow::MerlinWindow(QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                  | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Merlin"));
    m_idleClock.start();
    m_idleTimer.setInterval(kIdleFrameMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &MerlinWindow::onIdleTick);
    relayout();
}

int MerlinWindow::padding() const
{
    return std::max(8, m_height / 8);
}

QRectF MerlinWindow::figureRect() const
{
    const int pad = padding();
    return QRectF(pad, pad, MerlinPuppet::widthForHeight(m_height), m_height);
}

QRectF MerlinWindow::balloonArea() const
{
    const QRectF figure = figureRect();
    const qreal left = figure.right() + padding() * 0.6;
    // Below the level of the game's verdict, which stands right of Merlin's
    // head, and above the answer box.
    const qreal top = m_height * 0.42;
    return QRectF(left, top, width() - left - 4, m_height * 0.58);
}

void MerlinWindow::relayout()
{
    const int pad = padding();
    const int balloonWidth = std::max(240, m_height * 3 / 2);
    resize(pad + MerlinPuppet::widthForHeight(m_height) + pad + balloonWidth, pad + m_height + pad);
    m_balloonFont = balloonFont(std::max(18, m_height / 9));
    layoutBalloon();
    update();
}

void MerlinWindow::onIdleTick()
{
    if (!m_animation.isEmpty())
        return;
    const Pose pose = currentPose();
    const int offset = qRound(pose.bodyDy * m_height / MerlinPuppet::kArtHeight * devicePixelRatioF());
    if (offset == m_idleOffset && pose.eyesClosed == m_idleEyesClosed)
        return;
    m_idleOffset = offset;
    m_idleEyesClosed = pose.eyesClosed;
    update(figureRect().adjusted(-padding(), -padding(), padding(), padding()).toAlignedRect());
}

void MerlinWindow::setOpacity(qreal opacity)
{
    m_opacity = std::clamp<qreal>(opacity, 0, 1);
    if (m_opacity > 0 && !isVisible()) {
        show();
        m_idleTimer.start();
    }
    update();
}

void MerlinWindow::setTopLeft(QPoint topLeft)
{
    move(topLeft);
}

void MerlinWindow::setCharacterHeight(int pixels)
{
    if (pixels == m_height)
        return;
    m_height = pixels;
    relayout();
}

void MerlinWindow::setAnimation(const QString &animation, qreal progress)
{
    m_animation = animation;
    m_progress = progress;
    update();
}

void MerlinWindow::setMouth(MouthShape mouth)
{
    if (mouth == m_mouth)
        return;
    m_mouth = mouth;
    update();
}

void MerlinWindow::setBalloon(const QString &text)
{
    if (text == m_balloon)
        return;
    m_balloon = text;
    layoutBalloon();
    update();
}

void MerlinWindow::freezeIdleAt(qint64 idleMs)
{
    m_frozenIdleMs = idleMs;
    update();
}

Pose MerlinWindow::currentPose() const
{
    const qint64 idle = m_frozenIdleMs >= 0 ? m_frozenIdleMs : m_idleClock.elapsed();
    Pose pose = Choreography::pose(m_animation, m_progress, idle);
    pose.mouth = m_mouth;
    return pose;
}

void MerlinWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(m_opacity);
    m_puppet.paint(painter, figureRect().topLeft(), m_height, devicePixelRatioF(), currentPose());
    if (!m_balloon.isEmpty())
        paintBalloon(painter);
}

void MerlinWindow::layoutBalloon()
{
    m_balloonShown.clear();
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
}

void MerlinWindow::paintBalloon(QPainter &painter)
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

    painter.setPen(QPen(QColor(0x1a, 0x23, 0x7e), std::max(2.0, fontPixels / 8.0)));
    painter.setBrush(QColor(0xff, 0xfd, 0xf2));
    painter.drawPath(path);
    painter.setFont(m_balloonFont);
    painter.setPen(QColor(0x1a, 0x23, 0x7e));
    painter.drawText(box.adjusted(inset, inset, -inset, -inset), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter,
                     m_balloonShown);
}
