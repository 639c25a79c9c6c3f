#pragma once

#include "speech/synthesizer.h"

#include <QRegularExpression>

#include <atomic>

// Speaks every blank-separated word for exactly kWordMs of a constant tone,
// with a word event and an open mouth at its start; can pretend the voice
// data is missing.
class FakeSynthesizer final : public Synthesizer {
public:
    static constexpr qint64 kWordMs = 200;
    static constexpr int kRate = 8000;

    explicit FakeSynthesizer(std::atomic<int> &finished, bool voiceMissing = false)
        : m_finished(finished)
        , m_voiceMissing(voiceMissing)
    {
    }

    bool initialize(QString &error) override
    {
        if (m_voiceMissing)
            error = QStringLiteral("dati della voce assenti");
        return !m_voiceMissing;
    }
    int sampleRate() const override { return kRate; }

    void synthesize(const QString &text, const ChunkSink &sink) override
    {
        static const QRegularExpression word(QStringLiteral("\\S+"));
        qint64 at = 0;
        // One piece per word, so playback sees audio arrive in steps.
        for (auto it = word.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            SpeechChunk chunk;
            chunk.events.push_back({SpeechEvent::Kind::Word, at, int(match.capturedStart()),
                                    int(match.capturedLength()), MouthShape::Rest});
            chunk.events.push_back({SpeechEvent::Kind::Mouth, at, 0, 0, MouthShape::Open});
            chunk.pcm = QByteArray(int(kWordMs * kRate / 1000) * 2, char(0x20));
            at += kWordMs;
            sink(std::move(chunk));
        }
        SpeechChunk last;
        last.final = true;
        sink(std::move(last));
        ++m_finished;
    }

private:
    std::atomic<int> &m_finished;
    bool m_voiceMissing;
};
