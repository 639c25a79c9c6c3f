// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/agent.h"

#include <QStringList>

#include <stdexcept>

// Logs every call as one line ("MoveTo 250 175", "Speak per"); failCharacter:
// fetching the character throws.
class RecordingAgent final : public AgentControl, private CharacterCollection, private Character {
public:
    QStringList calls;
    bool failCharacter = false;

    CharacterCollection &Characters() override { return *this; }

private:
    void Load(const QString &id, const QString &key) override { calls << QStringLiteral("Load %1 %2").arg(id, key); }
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
