// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Character;

// Where Merlin stands while he talks to the child: his top-left in pixels
// from the game window's outer frame, and his height.
inline constexpr int kMerlinLeft = 250;
inline constexpr int kMerlinTop = 175;
inline constexpr int kMerlinHeight = 205;

// Merlin steps forward: shows himself, moves to his place, plays
// `animation` unless it is empty, and takes his height.
void stepForward(Character &merlin, const QString &animation = {});
