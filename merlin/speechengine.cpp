// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/speechengine.h"

#include "merlin/speechworker.h"

#include <QMetaObject>

SpeechEngine::SpeechEngine(std::unique_ptr<Synthesizer> synthesizer, QObject *parent)
    : QObject(parent)
    , m_worker(std::make_unique<SpeechWorker>(std::move(synthesizer)))
{
    qRegisterMetaType<SpeechChunk>("SpeechChunk");
    m_started = m_worker->startResult();
    m_thread.setObjectName(QStringLiteral("zorvali-speech"));
    m_worker->moveToThread(&m_thread);
    connect(m_worker.get(), &SpeechWorker::chunkReady, this, &SpeechEngine::chunkReady, Qt::QueuedConnection);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker.get(), &SpeechWorker::start, Qt::QueuedConnection);
}

SpeechEngine::~SpeechEngine()
{
    m_worker->stop();
    QMetaObject::invokeMethod(m_worker.get(), &SpeechWorker::shutdown, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    m_worker.reset();
}

SpeechEngine::StartResult SpeechEngine::waitStarted(int timeoutMs)
{
    if (m_started.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        StartResult late;
        late.error = QStringLiteral("La voce di Merlin non ha risposto in tempo.");
        return late;
    }
    return m_started.get();
}

void SpeechEngine::request(quint64 id, const QString &text)
{
    QMetaObject::invokeMethod(m_worker.get(), [worker = m_worker.get(), id, text] { worker->speak(id, text); },
                              Qt::QueuedConnection);
}
