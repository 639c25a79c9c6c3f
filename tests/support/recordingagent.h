#pragma once

#include "speech/agent.h"

#include <QSet>
#include <QStringList>

// A character control that records every call as one line, e.g.
// "Character Merlin", "MoveTo 250 175", "Speak per", so tests can assert the
// exact sequence a handler issues.
class RecordingAgent final : public AgentControl, private CharacterCollection, private Character {
public:
    QStringList calls;
    // Names of animations that make Play throw, and ids Character rejects.
    QSet<QString> failingAnimations;
    bool failCharacter = false;

    CharacterCollection &Characters() override { return *this; }

private:
    void Load(const QString &id, const QString &loadKey) override;
    ::Character &Character(const QString &id) override;
    void Show() override;
    void MoveTo(int x, int y) override;
    void Play(const QString &animation) override;
    void Height(int pixels) override;
    void Speak(const QString &text) override;
};
