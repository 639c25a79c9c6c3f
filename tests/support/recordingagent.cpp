#include "recordingagent.h"

#include <stdexcept>

void RecordingAgent::Load(const QString &id, const QString &loadKey)
{
    calls << QStringLiteral("Load %1 %2").arg(id, loadKey);
}

Character &RecordingAgent::Character(const QString &id)
{
    calls << QStringLiteral("Character %1").arg(id);
    if (failCharacter)
        throw std::runtime_error("personaggio non disponibile");
    return *this;
}

void RecordingAgent::Show() { calls << QStringLiteral("Show"); }

void RecordingAgent::MoveTo(int x, int y)
{
    calls << QStringLiteral("MoveTo %1 %2").arg(x).arg(y);
}

void RecordingAgent::Play(const QString &animation)
{
    calls << QStringLiteral("Play %1").arg(animation);
    if (failingAnimations.contains(animation))
        throw std::invalid_argument("animazione sconosciuta");
}

void RecordingAgent::Height(int pixels) { calls << QStringLiteral("Height %1").arg(pixels); }

void RecordingAgent::Speak(const QString &text) { calls << QStringLiteral("Speak %1").arg(text); }
