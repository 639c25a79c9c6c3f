// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/silentsynthesizer.h"

#include <QRegularExpression>

SilentSynthesizer::SilentSynthesizer(int sampleRate)
    : m_sampleRate(sampleRate)
{
}

bool SilentSynthesizer::initialize(QString &)
{
    return true;
}

qint64 SilentSynthesizer::wordMs(const QString &word)
{
    qint64 ms = 0;
    for (const QChar c : word) {
        if (c.isDigit())
            ms += 280; // a digit is read out as a whole number word
        else if (c.isLetter())
            ms += 70;
    }
    return std::max<qint64>(ms, 120);
}

void SilentSynthesizer::synthesize(const QString &text, const ChunkSink &sink)
{
    static const QRegularExpression word(QStringLiteral("[^\\s]+"));
    SpeechChunk chunk;
    qint64 at = 0;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        SpeechEvent event;
        event.kind = SpeechEvent::Kind::Word;
        event.audioMs = at;
        event.textStart = int(match.capturedStart());
        event.textLength = int(match.capturedLength());
        chunk.events.push_back(event);
        const qint64 length = wordMs(match.captured());
        // Open and close the mouth twice per word, like syllables.
        for (int i = 0; i < 4; ++i) {
            SpeechEvent mouth;
            mouth.kind = SpeechEvent::Kind::Mouth;
            mouth.audioMs = at + i * length / 4;
            mouth.mouth = (i % 2 == 0) ? MouthShape::Open : MouthShape::Narrow;
            chunk.events.push_back(mouth);
        }
        at += length;
        SpeechEvent rest;
        rest.kind = SpeechEvent::Kind::Mouth;
        rest.audioMs = at;
        rest.mouth = MouthShape::Rest;
        chunk.events.push_back(rest);
        at += kGapMs;
    }
    at += kTrailMs;
    chunk.pcm = QByteArray(int(at * m_sampleRate / 1000) * 2, '\0');
    chunk.final = true;
    sink(std::move(chunk));
}
