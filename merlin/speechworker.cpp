// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/speechworker.h"

#include "merlin/silentsynthesizer.h"

SpeechWorker::SpeechWorker(std::unique_ptr<Synthesizer> synthesizer)
    : m_synthesizer(std::move(synthesizer))
    , m_future(m_promise.get_future().share())
{
}

SpeechWorker::~SpeechWorker() = default;

std::shared_future<SpeechEngine::StartResult> SpeechWorker::startResult()
{
    return m_future;
}

void SpeechWorker::start()
{
    SpeechEngine::StartResult result;
    QString error;
    if (m_synthesizer && m_synthesizer->initialize(error)) {
        result.voiceAvailable = true;
        result.sampleRate = m_synthesizer->sampleRate();
    } else {
        result.error = error.isEmpty() ? QStringLiteral("Manca la voce di Merlin.") : error;
        m_synthesizer = std::make_unique<SilentSynthesizer>();
        QString ignored;
        m_synthesizer->initialize(ignored);
        result.sampleRate = m_synthesizer->sampleRate();
    }
    m_promise.set_value(result);
}

void SpeechWorker::speak(quint64 id, const QString &text)
{
    if (m_stopping.load() || !m_synthesizer)
        return;
    m_synthesizer->synthesize(text, [this, id](SpeechChunk &&chunk) { Q_EMIT chunkReady(id, chunk); });
}

void SpeechWorker::shutdown()
{
    m_synthesizer.reset();
}
