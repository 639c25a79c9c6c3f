// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"

// Stands in for a voice whose data is missing: produces silence as long as
// the words would take to say, with word and mouth events at the estimated
// moments, so balloons and mouth keep their usual pace.
class SilentSynthesizer final : public Synthesizer {
public:
    explicit SilentSynthesizer(int sampleRate = kDefaultSampleRate);

    bool initialize(QString &error) override;
    int sampleRate() const override { return m_sampleRate; }
    void synthesize(const QString &text, const ChunkSink &sink) override;

    // Pause after each word and after the last one.
    static constexpr qint64 kGapMs = 90;
    static constexpr qint64 kTrailMs = 150;
    // Estimated speaking time of one word, in milliseconds.
    static qint64 wordMs(const QString &word);

private:
    int m_sampleRate;
};
