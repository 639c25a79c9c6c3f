#pragma once

#include "speech/merlinpuppet.h"
#include "speech/stage.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// Merlin's own window: frameless, translucent, always on top and never
// focused, so the child keeps typing in the main window while he talks.
// The word balloon sits to the right of the figure.
class MerlinWindow final : public QWidget, public Stage {
    Q_OBJECT
public:
    explicit MerlinWindow(QWidget *parent = nullptr);

    void setOpacity(qreal opacity) override;
    void setTopLeft(QPoint topLeft) override;
    void setCharacterHeight(int pixels) override;
    void setAnimation(const QString &animation, qreal progress) override;
    void setMouth(MouthShape mouth) override;
    void setBalloon(const QString &text) override;

    int characterHeight() const { return m_height; }
    QString balloonText() const { return m_balloon; }
    // The pose as it would be drawn now.
    Pose currentPose() const;
    // For screenshots and benchmarks: freezes the idle loop at `idleMs`.
    void freezeIdleAt(qint64 idleMs);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void relayout();
    int padding() const;
    QRectF figureRect() const;
    QRectF balloonArea() const;
    void paintBalloon(QPainter &painter);
    void layoutBalloon();
    void onIdleTick();

    MerlinPuppet m_puppet;
    QTimer m_idleTimer;
    QElapsedTimer m_idleClock;
    qint64 m_frozenIdleMs = -1;
    int m_height = 205;
    qreal m_opacity = 0;
    QString m_animation;
    qreal m_progress = 0;
    MouthShape m_mouth = MouthShape::Rest;
    QString m_balloon;
    // The balloon as laid out for the current text and size.
    QString m_balloonShown;
    QRectF m_balloonBox;
    QFont m_balloonFont;
    // What the idle loop last drew: repaint only when it would look different.
    int m_idleOffset = 0;
    bool m_idleEyesClosed = false;
};
