// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/compositorprobe.h"
#include "speech/merlinpuppet.h"
#include "speech/stage.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <functional>

// Merlin's own window: frameless, translucent, always on top and never
// focused, so the child keeps typing in the main window while he talks.
// The word balloon sits to the right of the figure.
//
// Changes are drawn at most kFrameMs apart into a frame kept by the window,
// and only the parts that changed are redrawn: a new mouth repaints the
// mouth, a move of the figure the figure, a new word the balloon. When
// nothing blends translucent windows (X11 without a compositing manager)
// the window is shaped to what is drawn, so the desktop around Merlin shows
// through instead of a black box.
class MerlinWindow final : public QWidget, public Stage {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 33;

    // `compositing` tells whether translucent pixels are blended with what
    // lies behind; it is asked at each Show and about once a second while
    // something changes. By default the display server is asked.
    explicit MerlinWindow(QWidget *parent = nullptr);
    explicit MerlinWindow(std::function<bool()> compositing, QWidget *parent = nullptr);

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
    // Draws what is pending now instead of at the next frame.
    void renderPending();
    // The frame as last drawn (transparent where nothing is).
    const QImage &frame() const { return m_frame; }
    // Where the figure is drawn, in window coordinates.
    QRectF figureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What the figure looks like, minus the mouth: when this is unchanged the
    // outline is too.
    struct FigureState {
        QString animation;
        qreal progress = 0;
        int idleOffset = 0;
        bool eyesClosed = false;
        bool operator==(const FigureState &) const = default;
    };

    void relayout();
    int padding() const;
    QRectF balloonArea() const;
    void layoutBalloon();
    void renderBalloon();
    void onIdleTick();
    void scheduleFrame();
    void renderFrame();
    void checkCompositing();
    void makeEdgesOpaque(const QRegion &area);
    FigureState figureState(const Pose &pose) const;

    std::function<bool()> m_compositing;
    CompositorProbe m_probe;
    MerlinPuppet m_puppet;
    QTimer m_idleTimer;
    QTimer m_frameTimer;
    QElapsedTimer m_idleClock;
    QElapsedTimer m_sinceFrame;
    QElapsedTimer m_sinceCompositingCheck;
    qint64 m_frozenIdleMs = -1;
    int m_height = 205;
    qreal m_opacity = 0;
    QString m_animation;
    qreal m_progress = 0;
    MouthShape m_mouth = MouthShape::Rest;
    QString m_balloon;
    // The balloon as laid out for the current text and size, and drawn once
    // into m_balloonPixmap at m_balloonBounds.
    QString m_balloonShown;
    QRectF m_balloonBox;
    QFont m_balloonFont;
    QPixmap m_balloonPixmap;
    QRect m_balloonBounds;

    // What m_frame holds; anything else is redrawn at the next frame.
    QImage m_frame;
    bool m_frameValid = false;
    bool m_balloonChanged = false;
    bool m_composited = true;
    FigureState m_drawnFigure;
    MouthShape m_drawnMouth = MouthShape::Rest;
    QRect m_drawnBalloonBounds;
    qreal m_drawnOpacity = 0;
};
