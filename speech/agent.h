// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QString>

class QWidget;

// The speaking character as the window drives it. Every call only queues a
// request and returns at once; requests play one after another in the order
// they were issued, however many arrive while earlier ones still play.
// A failing call throws (std::invalid_argument, std::runtime_error); requests
// queued before it still play.
class Character {
public:
    virtual ~Character() = default;

    virtual void Show() = 0;
    // Where the character's top-left corner stands on the screen when the
    // outer frame of the window that hosts him stands at the screen's origin:
    // he goes wherever the window goes.
    virtual void MoveTo(int x, int y) = 0;
    // Throws std::invalid_argument for an animation the character does not have.
    virtual void Play(const QString &animation) = 0;
    // Height in pixels; the width follows the artwork's aspect.
    virtual void Height(int pixels) = 0;
    virtual void Speak(const QString &text) = 0;
};

class CharacterCollection {
public:
    virtual ~CharacterCollection() = default;

    // Loads the character `id`; `loadKey` names where it comes from and is
    // kept only for the caller's sake. Throws std::runtime_error on failure.
    virtual void Load(const QString &id, const QString &loadKey) = 0;
    // The loaded character `id`, valid as long as the collection lives.
    // Throws std::runtime_error when `id` was never loaded.
    virtual ::Character &Character(const QString &id) = 0;
};

// The window's character control: the collection is fetched at each use.
class AgentControl {
public:
    virtual ~AgentControl() = default;
    virtual CharacterCollection &Characters() = 0;
    // The character is drawn inside `host`, over its children, and never
    // takes the keyboard or the mouse from them. `hostOrigin` is where host's
    // top-left stands when its window's outer frame is at the screen's
    // origin. A control that draws nothing ignores it.
    virtual void setHost(QWidget & /*host*/, QPoint /*hostOrigin*/) {}
};
