// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"

#include <QByteArray>

// Italian speech from libespeak-ng in synchronous mode. The library keeps
// process-wide state: have at most one instance alive, and call it from one
// thread only (the speech worker's). The library is set up by the first
// initialize() of the process, with that instance's data folder; later
// instances share that outcome.
class EspeakSynthesizer final : public Synthesizer {
public:
    // `dataParent` is the folder holding "espeak-ng-data"; empty means the
    // library's default location.
    explicit EspeakSynthesizer(const QString &dataParent = {});
    ~EspeakSynthesizer() override;

    EspeakSynthesizer(const EspeakSynthesizer &) = delete;
    EspeakSynthesizer &operator=(const EspeakSynthesizer &) = delete;

    bool initialize(QString &error) override;
    int sampleRate() const override { return m_sampleRate; }
    void synthesize(const QString &text, const ChunkSink &sink) override;

    // Mouth shape for one of the engine's phoneme mnemonics.
    static MouthShape mouthForPhoneme(const char *name);

private:
    QByteArray m_dataParent;
    int m_sampleRate = kDefaultSampleRate;
    bool m_ready = false;
};
