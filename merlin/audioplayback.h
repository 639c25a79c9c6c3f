// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/clock.h"
#include "merlin/synthesizer.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QObject>

#include <memory>

class QAudioSink;
class QIODevice;
class QMediaDevices;

// Plays one utterance at a time and tells how far it has got. On the default
// output device the position is what the sink reports as played; with no
// device (or when the device fails or goes away mid-word) the position runs
// on the clock instead, so the caller sees the same timing either way.
class AudioPlayback final : public QObject {
    Q_OBJECT
public:
    // With `useDevices` false the clock is always used (tests, benchmarks).
    AudioPlayback(const Clock &clock, bool useDevices, QObject *parent = nullptr);
    ~AudioPlayback() override;

    // Starts a new utterance of mono 16-bit samples at `sampleRate`.
    void begin(int sampleRate);
    // Adds samples to the utterance and hands the sink what it can take.
    void append(const QByteArray &pcm);
    // Hands the sink what it can take; call regularly while playing.
    void pump();
    // Stops output after the utterance has been played.
    void end();

    // Milliseconds of the current utterance played so far; never more than
    // has been appended.
    qint64 positionMs() const;
    qint64 appendedMs() const;
    bool audible() const { return m_sink != nullptr; }

Q_SIGNALS:
    // The first samples of an utterance have gone to the sink (or, when
    // silent, have started to count).
    void firstBufferPlayed();

private:
    void startSegment();
    void dropSink();
    void onOutputsChanged();
    qint64 bytesToMs(qint64 bytes) const;
    qint64 msToBytes(qint64 ms) const;

    const Clock &m_clock;
    const bool m_useDevices;
    std::unique_ptr<QMediaDevices> m_devices;
    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_io = nullptr; // owned by m_sink

    QByteArray m_pcm;
    int m_sampleRate = kDefaultSampleRate;
    bool m_active = false;
    bool m_segmentRunning = false;
    bool m_announced = false;
    // Where the current segment (one sink, or the clock) took over.
    qint64 m_segmentBaseMs = 0;
    qint64 m_segmentStartClockMs = 0;
    qint64 m_segmentStartUs = 0;
    qint64 m_written = 0; // bytes handed to the current sink
};
