// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

// The answer box. Every typed character, control characters included
// (Backspace 8, Escape 27, Ctrl+letter 1 to 26, Ctrl+Enter 10, Ctrl+[ \ ] ^ _
// 27 to 31, Ctrl+Backspace 127), is first handed to the key-press handler,
// then reaches the box unchanged. Keys that type nothing (arrows, Shift)
// are not typed characters.
class AnswerBox final : public QLineEdit {
    Q_OBJECT

public:
    explicit AnswerBox(QWidget *parent = nullptr);

    // Called with the character code; Enter (Return or keypad) is 13, and
    // only Enter without Ctrl.
    std::function<void(char16_t)> onKeyPress;

    // The character code a key event types, if any.
    static std::optional<char16_t> typedCode(const QKeyEvent &event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
