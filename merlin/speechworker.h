// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/speechengine.h"
#include "merlin/synthesizer.h"

#include <QObject>

#include <atomic>
#include <future>
#include <memory>

// The object living on the speech thread; see SpeechEngine.
class SpeechWorker final : public QObject {
    Q_OBJECT
public:
    explicit SpeechWorker(std::unique_ptr<Synthesizer> synthesizer);
    ~SpeechWorker() override;

    std::shared_future<SpeechEngine::StartResult> startResult();
    // Makes requests that have not begun return at once, from any thread.
    void stop() { m_stopping.store(true); }

public Q_SLOTS:
    void start();
    void speak(quint64 id, const QString &text);
    // Destroys the synthesizer on this thread.
    void shutdown();

Q_SIGNALS:
    void chunkReady(quint64 id, const SpeechChunk &chunk);

private:
    std::unique_ptr<Synthesizer> m_synthesizer;
    std::promise<SpeechEngine::StartResult> m_promise;
    std::shared_future<SpeechEngine::StartResult> m_future;
    std::atomic<bool> m_stopping{false};
};
