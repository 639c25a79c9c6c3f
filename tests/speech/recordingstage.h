#pragma once

#include "speech/clock.h"
#include "speech/stage.h"

#include <QStringList>

// Writes down, with the clock's time, each change a viewer would notice:
// balloon text, animation starts and ends, height, final placement, first
// appearance.
class RecordingStage final : public Stage {
public:
    explicit RecordingStage(const Clock &clock)
        : m_clock(clock)
    {
    }

    QStringList log;
    qreal opacity = 0;
    QPoint topLeft;
    QString balloon;
    MouthShape mouth = MouthShape::Rest;
    int mouthChanges = 0;

    void setOpacity(qreal value) override
    {
        if (opacity <= 0 && value > 0)
            note(QStringLiteral("appear"));
        if (opacity < 1 && value >= 1)
            note(QStringLiteral("shown"));
        opacity = value;
    }
    void setTopLeft(QPoint point) override { topLeft = point; }
    void setCharacterHeight(int pixels) override { note(QStringLiteral("height %1").arg(pixels)); }
    void setAnimation(const QString &name, qreal) override
    {
        if (name != m_animation)
            note(name.isEmpty() ? QStringLiteral("end %1").arg(m_animation) : QStringLiteral("play %1").arg(name));
        m_animation = name;
    }
    void setMouth(MouthShape shape) override
    {
        if (shape != mouth)
            ++mouthChanges;
        mouth = shape;
    }
    void setBalloon(const QString &text) override
    {
        if (text != balloon)
            note(text.isEmpty() ? QStringLiteral("balloon off") : QStringLiteral("balloon %1").arg(text));
        balloon = text;
    }

private:
    void note(const QString &what) { log << QStringLiteral("%1 %2").arg(m_clock.nowMs()).arg(what); }

    const Clock &m_clock;
    QString m_animation;
};
