// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/agent.h"

#include <QStringList>

#include <stdexcept>

// Logs every call as one line ("MoveTo 250 175", "Speak per"). failLoad: loading
// throws (and still loads, as without a voice); failCharacter: fetching throws.
class RecordingAgent final : public AgentControl, private CharacterCollection, private Character {
public:
    QStringList calls;
    bool failLoad = false;
    bool failCharacter = false;

    CharacterCollection &Characters() override { return *this; }

private:
    void Load(const QString &id, const QString &key) override
    {
        calls << QStringLiteral("Load %1 %2").arg(id, key);
        if (failLoad)
            throw std::runtime_error("caricamento non riuscito");
    }
    ::Character &Character(const QString &id) override
    {
        calls << QStringLiteral("Character ") + id;
        if (failCharacter)
            throw std::runtime_error("personaggio non disponibile");
        return *this;
    }
    void Show() override { calls << QStringLiteral("Show"); }
    void MoveTo(int x, int y) override { calls << QStringLiteral("MoveTo %1 %2").arg(x).arg(y); }
    void Play(const QString &animation) override { calls << QStringLiteral("Play ") + animation; }
    void Height(int pixels) override { calls << QStringLiteral("Height %1").arg(pixels); }
    void Speak(const QString &text) override { calls << QStringLiteral("Speak ") + text; }
};
