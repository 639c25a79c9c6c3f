// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/merlinpuppet.h"
#include "merlin/stage.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Merlin drawn inside a host widget, over its children: a child widget of
// the host (the view) that never takes the keyboard focus and lets every
// mouse press through to the control beneath. The word balloon sits to the
// right of the figure. Until a host is given, nothing is drawn anywhere.
//
// Changes are drawn at most kFrameMs apart into a frame kept by the overlay,
// and only the parts that changed are redrawn and repainted: a new mouth
// repaints the mouth, a move of the figure the figure, a new word the
// balloon. The host repaints its own controls beneath.
//
// The overlay belongs to its owner, the view to the host: whichever goes
// first, the other stays sound.
class MerlinOverlay final : public QObject, public Stage {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 33;

    MerlinOverlay();
    ~MerlinOverlay() override;

    // Draws Merlin inside `host` from now on. setTopLeft's points count from
    // the outer frame of host's window standing at the screen's origin;
    // `hostOrigin` is where host's top-left stands in those points.
    void setHost(QWidget &host, QPoint hostOrigin);
    // Where Merlin is drawn; null before setHost and once the host is gone.
    QWidget *view() const { return m_view; }

    void setOpacity(qreal opacity) override;
    void setTopLeft(QPoint topLeft) override;
    void setCharacterHeight(int pixels) override;
    void setAnimation(const QString &animation, qreal progress) override;
    void setMouth(MouthShape mouth) override;
    void setBalloon(const QString &text) override;

    QString balloonText() const { return m_balloon; }
    // For screenshots, benchmarks and tests: freezes the idle loop at `idleMs`.
    void freezeIdleAt(qint64 idleMs);
    // Draws what is pending now instead of at the next frame.
    void renderPending();
    // The frame as last drawn, the view's size (transparent where nothing is).
    const QImage &frame() const { return m_frame; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

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

    QSize size() const;
    qreal devicePixelRatio() const;
    void place();
    void relayout();
    int padding() const;
    QRectF balloonArea() const;
    void layoutBalloon();
    void renderBalloon();
    void onIdleTick();
    void scheduleFrame();
    void renderFrame(bool repaint = true);
    void paint(const QRegion &region);
    FigureState figureState(const Pose &pose) const;
    // The pose as it would be drawn now.
    Pose currentPose() const;
    // Where the figure is drawn, in the view's coordinates.
    QRectF figureRect() const;

    QPointer<QWidget> m_view;
    QPoint m_hostOrigin;
    QPoint m_topLeft;
    MerlinPuppet m_puppet;
    QTimer m_idleTimer;
    QTimer m_frameTimer;
    QElapsedTimer m_idleClock;
    QElapsedTimer m_sinceFrame;
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
    FigureState m_drawnFigure;
    MouthShape m_drawnMouth = MouthShape::Rest;
    QRect m_drawnBalloonBounds;
    qreal m_drawnOpacity = 0;
};
