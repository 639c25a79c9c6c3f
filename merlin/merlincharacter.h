// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/agent.h"

class Performer;

// Merlin as the window drives him: checks each call and queues it.
class MerlinCharacter final : public Character {
public:
    explicit MerlinCharacter(Performer &performer);

    void Show() override;
    void MoveTo(int x, int y) override;
    // Throws std::invalid_argument for an animation Merlin does not have.
    void Play(const QString &animation) override;
    // Throws std::invalid_argument for a height that cannot be drawn.
    void Height(int pixels) override;
    void Speak(const QString &text) override;

    static constexpr int kMaxHeight = 2000;

private:
    Performer &m_performer;
};
