// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/audioplayback.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

AudioPlayback::AudioPlayback(const Clock &clock, bool useDevices, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_useDevices(useDevices)
{
    if (m_useDevices) {
        m_devices = std::make_unique<QMediaDevices>();
        m_device = QMediaDevices::defaultAudioOutput();
        connect(m_devices.get(), &QMediaDevices::audioOutputsChanged, this, &AudioPlayback::onOutputsChanged);
    }
}

AudioPlayback::~AudioPlayback()
{
    dropSink();
}

qint64 AudioPlayback::bytesToMs(qint64 bytes) const
{
    return bytes * 1000 / (qint64(m_sampleRate) * 2);
}

qint64 AudioPlayback::msToBytes(qint64 ms) const
{
    return (ms * m_sampleRate / 1000) * 2;
}

void AudioPlayback::begin(int sampleRate)
{
    m_pcm.clear();
    m_sampleRate = sampleRate > 0 ? sampleRate : kDefaultSampleRate;
    m_active = true;
    m_segmentRunning = false;
    m_announced = false;
    m_segmentBaseMs = 0;
}

void AudioPlayback::append(const QByteArray &pcm)
{
    if (!m_active)
        return;
    m_pcm.append(pcm);
    if (!m_segmentRunning && !m_pcm.isEmpty())
        startSegment();
    pump();
}

void AudioPlayback::startSegment()
{
    m_segmentRunning = true;
    m_segmentStartClockMs = m_clock.nowMs();
    m_written = 0;
    dropSink();
    if (m_useDevices && !m_device.isNull()) {
        QAudioFormat format;
        format.setSampleRate(m_sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (m_device.isFormatSupported(format)) {
            m_sink = std::make_unique<QAudioSink>(m_device, format);
            m_io = m_sink->start();
            if (!m_io || m_sink->error() != QAudio::NoError) {
                qWarning("zorvali: l'uscita audio non si apre, Merlin parla in silenzio");
                dropSink();
            } else {
                m_segmentStartUs = m_sink->processedUSecs();
                connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State) {
                    if (m_sink && m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError) {
                        // Carry on where the sound stopped, on the clock.
                        const qint64 at = positionMs();
                        dropSink();
                        m_segmentBaseMs = at;
                        m_segmentStartClockMs = m_clock.nowMs();
                    }
                });
            }
        }
    }
    if (!m_announced) {
        m_announced = true;
        pump();
        Q_EMIT firstBufferPlayed();
    }
}

void AudioPlayback::pump()
{
    if (!m_sink || !m_io)
        return;
    const qint64 segmentStartByte = msToBytes(m_segmentBaseMs);
    const qint64 left = m_pcm.size() - segmentStartByte - m_written;
    const qint64 room = std::min<qint64>(left, m_sink->bytesFree());
    if (room <= 0)
        return;
    const qint64 wrote = m_io->write(m_pcm.constData() + segmentStartByte + m_written, room);
    if (wrote > 0)
        m_written += wrote;
}

void AudioPlayback::end()
{
    m_active = false;
    m_segmentRunning = false;
    dropSink();
}

qint64 AudioPlayback::appendedMs() const
{
    return bytesToMs(m_pcm.size());
}

qint64 AudioPlayback::positionMs() const
{
    if (!m_segmentRunning)
        return m_segmentBaseMs;
    qint64 inSegment = 0;
    if (m_sink)
        inSegment = std::min((m_sink->processedUSecs() - m_segmentStartUs) / 1000, bytesToMs(m_written));
    else
        inSegment = m_clock.nowMs() - m_segmentStartClockMs;
    return std::clamp<qint64>(m_segmentBaseMs + inSegment, 0, appendedMs());
}

void AudioPlayback::dropSink()
{
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
    }
    m_io = nullptr;
    m_sink.reset();
}

void AudioPlayback::onOutputsChanged()
{
    const QAudioDevice now = QMediaDevices::defaultAudioOutput();
    if (now == m_device)
        return;
    m_device = now;
    if (!m_active || !m_segmentRunning)
        return;
    // Move the rest of the utterance to the new default output (or the clock).
    const qint64 at = positionMs();
    m_segmentBaseMs = at;
    m_segmentRunning = false;
    startSegment();
}
