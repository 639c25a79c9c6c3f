// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"

#include <QObject>
#include <QThread>

#include <future>
#include <memory>

class SpeechWorker;

// Runs a Synthesizer on one dedicated thread of its own, so the engine's
// global state is only ever touched there and the UI thread never waits on
// synthesis. Requests are synthesised in the order given; their pieces come
// back through chunkReady() on the thread that owns this object.
class SpeechEngine final : public QObject {
    Q_OBJECT
public:
    struct StartResult {
        bool voiceAvailable = false;
        QString error;
        int sampleRate = kDefaultSampleRate;
    };

    // Starts the thread and initialises `synthesizer` on it. When the voice
    // cannot be used, every request is answered with silence of the length
    // the words would take, so timing stays as it would be with speech.
    explicit SpeechEngine(std::unique_ptr<Synthesizer> synthesizer, QObject *parent = nullptr);
    // Drops requests not yet begun, finishes the one in progress and joins
    // the thread.
    ~SpeechEngine() override;

    // Blocks until the voice has been initialised (or `timeoutMs` passed,
    // then reports the voice as unavailable).
    StartResult waitStarted(int timeoutMs = 5000);
    void request(quint64 id, const QString &text);

Q_SIGNALS:
    void chunkReady(quint64 id, const SpeechChunk &chunk);

private:
    QThread m_thread;
    std::unique_ptr<SpeechWorker> m_worker;
    std::shared_future<StartResult> m_started;
};
