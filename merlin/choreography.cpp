// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/choreography.h"

#include <QtMath>

#include <array>

namespace {

struct Entry {
    const char *name;
    qint64 durationMs;
};

constexpr std::array kAnimations{
    Entry{"Announce", 2200},
    Entry{"Greet", 2000},
    Entry{"congratulate", 2400},
    Entry{"domagic1", 2600},
    Entry{"domagic2", 2600},
};

// 0 at the ends, 1 in the middle: moves that rise, hold and settle back.
qreal envelope(qreal t, qreal in = 0.2, qreal out = 0.2)
{
    if (t < in)
        return qSin(t / in * M_PI / 2);
    if (t > 1 - out)
        return qSin((1 - t) / out * M_PI / 2);
    return 1;
}

void announce(Pose &p, qreal t)
{
    // Both arms thrown open, a rise on the toes and a hat flourish.
    const qreal e = envelope(t, 0.25, 0.25);
    p.leftArmDeg = 70 * e;
    p.rightArmDeg = -75 * e;
    p.bodyDy += -6 * e;
    p.hatDeg = -8 * e * qSin(t * M_PI * 4);
    p.headDeg = 4 * e;
    p.sparkle = 0.5 * e;
}

void greet(Pose &p, qreal t)
{
    // The wand hand raised and waved three times, head tilted, smiling.
    const qreal e = envelope(t, 0.2, 0.2);
    p.rightArmDeg = -(95 + 22 * qSin(t * M_PI * 6)) * e;
    p.headDeg = -6 * e;
    p.hatDeg = -5 * e;
    p.smile = e > 0.5;
}

void congratulate(Pose &p, qreal t)
{
    // Two joyful hops, arms up, the hat popping off and landing again.
    const qreal e = envelope(t, 0.1, 0.15);
    const qreal hop = qAbs(qSin(t * M_PI * 2));
    p.bodyDy += -22 * hop * e;
    p.leftArmDeg = 120 * e;
    p.rightArmDeg = -120 * e;
    p.hatDy = -30 * qSin(t * M_PI) * e;
    p.hatDeg = 12 * qSin(t * M_PI * 2);
    p.burst = 0.8 * e;
    p.burstScale = 0.7 + 0.4 * t;
    p.smile = true;
}

void domagic1(Pose &p, qreal t)
{
    // Wand raised high and circled while its tip gathers light.
    const qreal e = envelope(t, 0.2, 0.15);
    p.rightArmDeg = (-110 + 18 * qSin(t * M_PI * 8)) * e;
    p.leftArmDeg = 25 * e;
    p.sparkle = std::min<qreal>(1, t * 1.6) * e;
    p.headDeg = -4 * e;
}

void domagic2(Pose &p, qreal t)
{
    // A big swish down and forward, then a burst of stars all round.
    if (t < 0.35) {
        const qreal up = qSin(t / 0.35 * M_PI / 2);
        p.rightArmDeg = -140 * up;
        p.bodyDy += -4 * up;
    } else {
        const qreal down = std::min<qreal>(1, (t - 0.35) / 0.12);
        const qreal settle = envelope(t, 0.0, 0.3);
        p.rightArmDeg = (-140 + 170 * down) * settle;
        p.burst = down * settle;
        p.burstScale = 0.5 + 0.9 * (t - 0.35) / 0.65;
        p.sparkle = settle;
    }
    p.leftArmDeg = -20 * envelope(t);
    p.hatDeg = 6 * envelope(t);
}

} // namespace

std::optional<QString> Choreography::canonicalName(const QString &name)
{
    for (const Entry &entry : kAnimations) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.name);
    }
    return std::nullopt;
}

QStringList Choreography::names()
{
    QStringList all;
    for (const Entry &entry : kAnimations)
        all << QString::fromLatin1(entry.name);
    return all;
}

qint64 Choreography::durationMs(const QString &canonical)
{
    for (const Entry &entry : kAnimations) {
        if (canonical == QLatin1String(entry.name))
            return entry.durationMs;
    }
    return 0;
}

Pose Choreography::pose(const QString &animation, qreal progress, qint64 idleMs)
{
    Pose p;
    // Breathing every 3.2 s as a gentle bob, which changes the picture only
    // a few times per breath; a blink of 140 ms every 4.1 s.
    p.bodyDy = 2.0 * qSin(idleMs * 2 * M_PI / 3200.0);
    p.eyesClosed = (idleMs % 4100) < 140;
    const qreal t = std::clamp<qreal>(progress, 0, 1);
    if (animation == QLatin1String("Announce"))
        announce(p, t);
    else if (animation == QLatin1String("Greet"))
        greet(p, t);
    else if (animation == QLatin1String("congratulate"))
        congratulate(p, t);
    else if (animation == QLatin1String("domagic1"))
        domagic1(p, t);
    else if (animation == QLatin1String("domagic2"))
        domagic2(p, t);
    if (p.smile)
        p.eyesClosed = false;
    return p;
}
