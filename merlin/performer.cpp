// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/performer.h"

#include "merlin/audioplayback.h"
#include "merlin/choreography.h"
#include "merlin/stage.h"

#include <QLineF>

namespace {
// How often the performance steps on while anything moves or plays.
constexpr int kStepMs = 16;
}

Performer::Performer(Stage &stage, const Clock &clock, AudioPlayback &playback, QObject *parent)
    : QObject(parent)
    , m_stage(stage)
    , m_clock(clock)
    , m_playback(playback)
{
    m_timer.setInterval(kStepMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Performer::tick);
}

qint64 Performer::glideMs(QPoint from, QPoint to)
{
    const qreal distance = QLineF(from, to).length();
    return std::min<qint64>(kMaxGlideMs, qint64(distance));
}

bool Performer::idle() const
{
    return !m_hasCurrent && m_queue.empty() && m_balloonHideAt < 0;
}

void Performer::enqueue(const Request &request)
{
    Queued queued{request, 0};
    queued.enqueuedAt = m_clock.nowMs();
    if (request.kind == Request::Kind::Speak) {
        queued.speechId = m_nextSpeechId++;
        m_utterances[queued.speechId].text = request.text;
        m_queue.push_back(queued);
        Q_EMIT synthesisRequested(queued.speechId, request.text);
    } else {
        m_queue.push_back(queued);
    }
    tick();
}

void Performer::addChunk(quint64 id, const SpeechChunk &chunk)
{
    const auto found = m_utterances.find(id);
    if (found == m_utterances.end())
        return;
    Utterance &u = found->second;
    u.pcm.append(chunk.pcm);
    u.events.insert(u.events.end(), chunk.events.begin(), chunk.events.end());
    u.final = u.final || chunk.final;
    if (m_hasCurrent && m_current.speechId == id)
        tick();
}

void Performer::ensureTimer()
{
    if (idle())
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void Performer::tick()
{
    const qint64 now = m_clock.nowMs();
    const bool speaking = m_hasCurrent && m_current.request.kind == Request::Kind::Speak && m_speechStarted;
    if (m_balloonHideAt >= 0 && now >= m_balloonHideAt && !speaking) {
        m_balloonHideAt = -1;
        m_balloon.clear();
        m_stage.setBalloon(QString());
    }
    // Requests that take no time are all played within one tick.
    for (int guard = 0; guard < 10000; ++guard) {
        if (!m_hasCurrent) {
            if (m_queue.empty())
                break;
            m_current = m_queue.front();
            m_queue.pop_front();
            m_hasCurrent = true;
            startCurrent(std::max(m_lastEnd, m_current.enqueuedAt));
        }
        const std::optional<qint64> end = advance(now);
        if (!end)
            break;
        m_hasCurrent = false;
        m_lastEnd = *end;
    }
    ensureTimer();
}

void Performer::startCurrent(qint64 at)
{
    m_currentStart = at;
    m_speechStarted = false;
    m_pcmFed = 0;
    m_nextEvent = 0;
    const Request &r = m_current.request;
    if (r.kind == Request::Kind::MoveTo) {
        m_glideFrom = m_position;
        // Nothing to glide from before the first placement or while hidden.
        if (!m_placed || !m_shown)
            m_glideFrom = r.point;
    }
}

std::optional<qint64> Performer::advance(qint64 now)
{
    const Request &r = m_current.request;
    const qint64 elapsed = std::max<qint64>(0, now - m_currentStart);
    switch (r.kind) {
    case Request::Kind::Show: {
        if (m_shown && m_opacity >= 1)
            return m_currentStart;
        m_shown = true;
        m_opacity = std::min<qreal>(1, qreal(elapsed) / kFadeMs);
        m_stage.setOpacity(m_opacity);
        if (elapsed < kFadeMs)
            return std::nullopt;
        return m_currentStart + kFadeMs;
    }
    case Request::Kind::MoveTo: {
        const qint64 length = glideMs(m_glideFrom, r.point);
        m_placed = true;
        if (elapsed >= length) {
            m_position = r.point;
            m_stage.setTopLeft(m_position);
            return m_currentStart + length;
        }
        // Ease in and out along the straight line.
        const qreal t = qreal(elapsed) / length;
        const qreal s = t * t * (3 - 2 * t);
        m_position = QPoint(qRound(m_glideFrom.x() + (r.point.x() - m_glideFrom.x()) * s),
                            qRound(m_glideFrom.y() + (r.point.y() - m_glideFrom.y()) * s));
        m_stage.setTopLeft(m_position);
        return std::nullopt;
    }
    case Request::Kind::Height:
        m_stage.setCharacterHeight(r.height);
        return m_currentStart;
    case Request::Kind::Play: {
        const qint64 length = Choreography::durationMs(r.text);
        if (elapsed >= length) {
            m_stage.setAnimation(QString(), 0);
            return m_currentStart + length;
        }
        m_stage.setAnimation(r.text, qreal(elapsed) / length);
        return std::nullopt;
    }
    case Request::Kind::Speak:
        break;
    }

    Utterance &u = m_utterances[m_current.speechId];
    if (!m_speechStarted) {
        if (u.pcm.isEmpty() && !u.final)
            return std::nullopt; // still being synthesised
        m_speechStarted = true;
        m_playback.begin(m_sampleRate);
        // Words said right after the last ones join them in the balloon.
        m_balloonPrefix = (m_balloonHideAt >= 0 && !m_balloon.isEmpty()) ? m_balloon + QLatin1Char(' ') : QString();
        m_balloonHideAt = -1;
    }
    if (m_pcmFed < std::size_t(u.pcm.size())) {
        m_playback.append(u.pcm.mid(qsizetype(m_pcmFed)));
        m_pcmFed = std::size_t(u.pcm.size());
    } else {
        m_playback.pump();
    }
    const bool finished = u.final && m_playback.positionMs() >= m_playback.appendedMs();
    const qint64 position = finished ? std::numeric_limits<qint64>::max() : m_playback.positionMs();
    for (; m_nextEvent < u.events.size() && u.events[m_nextEvent].audioMs <= position; ++m_nextEvent) {
        const SpeechEvent &event = u.events[m_nextEvent];
        if (event.kind == SpeechEvent::Kind::Mouth) {
            m_stage.setMouth(event.mouth);
        } else {
            const QString said = u.text.left(event.textStart + event.textLength).trimmed();
            m_balloon = m_balloonPrefix + said;
            m_stage.setBalloon(m_balloon);
        }
    }
    if (!finished)
        return std::nullopt;
    m_stage.setMouth(MouthShape::Rest);
    m_playback.end();
    if (!m_balloon.isEmpty())
        m_balloonHideAt = now + kBalloonLingerMs;
    m_utterances.erase(m_current.speechId);
    return now;
}
