// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/merlinagent.h"

#include "merlin/audioplayback.h"
#include "merlin/espeaksynthesizer.h"
#include "merlin/merlincharacter.h"
#include "merlin/merlinoverlay.h"
#include "merlin/performer.h"
#include "merlin/speechengine.h"
#include "merlin/steadyclock.h"

#include <stdexcept>

namespace {
const QString kMerlin = QStringLiteral("Merlin");
}

MerlinAgent::MerlinAgent(QObject *parent)
    : MerlinAgent(Parts{}, parent)
{
}

MerlinAgent::MerlinAgent(Parts parts, QObject *parent)
    : QObject(parent)
{
    if (parts.clock) {
        m_clock = parts.clock;
    } else {
        m_ownClock = std::make_unique<SteadyClock>();
        m_clock = m_ownClock.get();
    }
    if (parts.stage) {
        m_stage = parts.stage;
    } else {
        m_overlay = std::make_unique<MerlinOverlay>();
        m_stage = m_overlay.get();
    }
    if (!parts.synthesizer)
        parts.synthesizer = std::make_unique<EspeakSynthesizer>();
    m_engine = std::make_unique<SpeechEngine>(std::move(parts.synthesizer));
    m_playback = std::make_unique<AudioPlayback>(*m_clock, parts.useAudioDevices);
    m_performer = std::make_unique<Performer>(*m_stage, *m_clock, *m_playback);
    m_character = std::make_unique<MerlinCharacter>(*m_performer);

    connect(m_performer.get(), &Performer::synthesisRequested, m_engine.get(), &SpeechEngine::request);
    connect(m_engine.get(), &SpeechEngine::chunkReady, m_performer.get(), &Performer::addChunk);
}

MerlinAgent::~MerlinAgent()
{
    // The performer talks to the playback and the stage; stop it first,
    // then the voice thread.
    m_character.reset();
    m_performer.reset();
    m_playback.reset();
    m_engine.reset();
}

void MerlinAgent::setHost(QWidget &host, QPoint hostOrigin)
{
    if (m_overlay)
        m_overlay->setHost(host, hostOrigin);
}

void MerlinAgent::Load(const QString &id, const QString &)
{
    if (id.compare(kMerlin, Qt::CaseInsensitive) != 0)
        throw std::runtime_error(
            QStringLiteral("Il personaggio \"%1\" non esiste: c'è solo Merlin.").arg(id).toStdString());
    if (m_loaded)
        return;
    const SpeechEngine::StartResult started = m_engine->waitStarted();
    m_performer->setSampleRate(started.sampleRate);
    m_loaded = true;
    if (!started.voiceAvailable)
        throw std::runtime_error(
            QStringLiteral("%1 Merlin si muoverà e scriverà nel fumetto, ma senza parlare.")
                .arg(started.error)
                .toStdString());
}

Character &MerlinAgent::Character(const QString &id)
{
    if (!m_loaded || id.compare(kMerlin, Qt::CaseInsensitive) != 0)
        throw std::runtime_error(
            QStringLiteral("Il personaggio \"%1\" non è stato caricato.").arg(id).toStdString());
    return *m_character;
}
