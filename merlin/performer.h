// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/clock.h"
#include "merlin/synthesizer.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <deque>
#include <map>
#include <optional>

class AudioPlayback;
class Stage;

// The character's request queue. Requests play strictly one after another
// in the order enqueued; enqueue() only records them and returns. Speech is
// asked for as soon as it is enqueued (synthesisRequested) so it is ready by
// the time its turn comes; its pieces come back through addChunk().
//
// Time comes from the clock and, while speaking, from the playback position,
// so a run on a fake clock without a sound device is fully deterministic.
class Performer final : public QObject {
    Q_OBJECT
public:
    struct Request {
        enum class Kind { Show, MoveTo, Play, Height, Speak };
        Kind kind = Kind::Show;
        QPoint point;
        int height = 0;
        QString text; // animation name (canonical) or words to say
    };

    static constexpr qint64 kFadeMs = 250;
    static constexpr qint64 kMaxGlideMs = 400;
    static constexpr qint64 kBalloonLingerMs = 1500;

    Performer(Stage &stage, const Clock &clock, AudioPlayback &playback, QObject *parent = nullptr);

    void enqueue(const Request &request);
    // The sample rate of the pieces given to addChunk().
    void setSampleRate(int rate) { m_sampleRate = rate; }
    // Advances everything to the clock's now. Runs on its own timer too.
    void tick();

    bool idle() const;
    qsizetype pending() const { return qsizetype(m_queue.size()) + (m_hasCurrent ? 1 : 0); }

    static qint64 glideMs(QPoint from, QPoint to);

public Q_SLOTS:
    void addChunk(quint64 id, const SpeechChunk &chunk);

Q_SIGNALS:
    void synthesisRequested(quint64 id, const QString &text);

private:
    struct Utterance {
        QString text;
        QByteArray pcm;
        std::vector<SpeechEvent> events;
        bool final = false;
    };
    struct Queued {
        Request request;
        quint64 speechId = 0;
        qint64 enqueuedAt = 0;
    };

    // Plays the current request up to `now`; returns its end time when done.
    std::optional<qint64> advance(qint64 now);
    void startCurrent(qint64 at);
    void ensureTimer();

    Stage &m_stage;
    const Clock &m_clock;
    AudioPlayback &m_playback;
    QTimer m_timer;

    std::deque<Queued> m_queue;
    std::map<quint64, Utterance> m_utterances;
    quint64 m_nextSpeechId = 1;
    int m_sampleRate = kDefaultSampleRate;

    bool m_hasCurrent = false;
    Queued m_current;
    qint64 m_currentStart = 0;
    qint64 m_lastEnd = 0;
    // Speaking state of the current request.
    bool m_speechStarted = false;
    std::size_t m_pcmFed = 0;
    std::size_t m_nextEvent = 0;

    bool m_shown = false;
    qreal m_opacity = 0;
    QPoint m_position;
    QPoint m_glideFrom;
    bool m_placed = false;
    QString m_balloon;
    QString m_balloonPrefix;
    qint64 m_balloonHideAt = -1;
};
