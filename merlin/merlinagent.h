// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/synthesizer.h"
#include "speech/agent.h"

#include <QObject>

#include <memory>

class AudioPlayback;
class Clock;
class MerlinCharacter;
class MerlinOverlay;
class Performer;
class SpeechEngine;
class Stage;

// The real character control: Merlin drawn inside the window that hosts
// him, speaking Italian through a voice that runs on its own thread. Only
// the id "Merlin" can be loaded; any load key loads the bundled character.
//
// When the voice is missing, Load loads Merlin all the same and then throws
// std::runtime_error saying so; from then on Merlin moves and shows his
// balloons without sound, at the same pace.
class MerlinAgent final : public QObject, public AgentControl, private CharacterCollection {
    Q_OBJECT
public:
    // What the character is built from; empty members take the real thing.
    struct Parts {
        std::unique_ptr<Synthesizer> synthesizer;
        const Clock *clock = nullptr;
        Stage *stage = nullptr;
        bool useAudioDevices = true;
    };

    // The Italian voice, the default audio output (silent when there is
    // none) and an overlay, shown once a host is set.
    explicit MerlinAgent(QObject *parent = nullptr);
    explicit MerlinAgent(Parts parts, QObject *parent = nullptr);
    ~MerlinAgent() override;

    CharacterCollection &Characters() override { return *this; }
    // Ignored when the stage was handed in.
    void setHost(QWidget &host, QPoint hostOrigin) override;

    // For tests and benchmarks.
    Performer &performer() { return *m_performer; }
    AudioPlayback &playback() { return *m_playback; }
    // Null when the stage was handed in.
    MerlinOverlay *overlay() { return m_overlay.get(); }

private:
    void Load(const QString &id, const QString &loadKey) override;
    ::Character &Character(const QString &id) override;

    std::unique_ptr<Clock> m_ownClock;
    const Clock *m_clock = nullptr;
    std::unique_ptr<MerlinOverlay> m_overlay;
    Stage *m_stage = nullptr;
    std::unique_ptr<SpeechEngine> m_engine;
    std::unique_ptr<AudioPlayback> m_playback;
    std::unique_ptr<Performer> m_performer;
    std::unique_ptr<MerlinCharacter> m_character;
    bool m_loaded = false;
};
