// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"

#include <QString>
#include <QStringList>

#include <optional>

// Where Merlin's parts are at one moment, in the artwork's own units
// (a 200 x 300 drawing, y downwards). Angles in degrees, clockwise.
struct Pose {
    qreal bodyDy = 0;       // whole figure up (<0) or down
    qreal bodyScaleY = 1;   // breathing, about the feet
    qreal headDeg = 0;
    qreal hatDy = 0;        // hat lifted off the head (<0)
    qreal hatDeg = 0;
    qreal leftArmDeg = 0;   // about the shoulder
    qreal rightArmDeg = 0;  // the wand arm
    qreal sparkle = 0;      // 0..1 glow and stars at the wand's tip
    qreal burst = 0;        // 0..1 ring of stars around the figure
    qreal burstScale = 1;
    bool eyesClosed = false;
    bool smile = false;     // eyes as happy arcs
    MouthShape mouth = MouthShape::Rest;
};

// The animations Merlin knows and the pose at any moment of each.
class Choreography {
public:
    // The animation's own spelling for `name` (matched ignoring case), or
    // nothing when Merlin has no such animation.
    static std::optional<QString> canonicalName(const QString &name);
    static QStringList names();
    static qint64 durationMs(const QString &canonical);

    // The idle loop (breathing, blinking) at `idleMs` since start-up, with
    // `animation` at `progress` (0..1) laid over it; an empty animation is
    // the idle pose.
    static Pose pose(const QString &animation, qreal progress, qint64 idleMs);
};
