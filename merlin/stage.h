// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"

#include <QPoint>
#include <QString>

// What the performer shows: the character as a set of knobs. Each
// call sets the state from then on; the stage draws it however it likes.
class Stage {
public:
    virtual ~Stage() = default;

    // 0 is hidden, 1 fully shown.
    virtual void setOpacity(qreal opacity) = 0;
    // The top-left corner, as MoveTo gives it (see Character::MoveTo).
    virtual void setTopLeft(QPoint topLeft) = 0;
    virtual void setCharacterHeight(int pixels) = 0;
    // `animation` empty: the idle loop.
    virtual void setAnimation(const QString &animation, qreal progress) = 0;
    virtual void setMouth(MouthShape mouth) = 0;
    // The words spoken so far; empty hides the balloon.
    virtual void setBalloon(const QString &text) = 0;
};
