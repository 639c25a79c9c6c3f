// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/answerbox.h"

#include <QKeyEvent>

AnswerBox::AnswerBox(QWidget *parent) : QLineEdit(parent) {}

std::optional<char16_t> AnswerBox::typedCode(const QKeyEvent &event)
{
    const int key = event.key();
    // Alt and Meta keys belong to the window (Alt+N, Alt+X), not the box.
    if (event.modifiers() & (Qt::MetaModifier | Qt::AltModifier))
        return std::nullopt;
    // With Ctrl, the keys that make a control character on a classic
    // keyboard: the letters 1 to 26 (Ctrl+M is 13, the same as Enter),
    // Ctrl+Enter a line feed, and Ctrl+Backspace the delete character.
    if (event.modifiers() & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return char16_t(key - Qt::Key_A + 1);
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return char16_t(10);
        case Qt::Key_BracketLeft:
            return char16_t(27);
        case Qt::Key_Backslash:
            return char16_t(28);
        case Qt::Key_BracketRight:
            return char16_t(29);
        case Qt::Key_AsciiCircum:
            return char16_t(30);
        case Qt::Key_Underscore:
            return char16_t(31);
        case Qt::Key_Backspace:
            return char16_t(127);
        default:
            return std::nullopt;
        }
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return char16_t(13);
    if (key == Qt::Key_Backspace)
        return char16_t(8);
    if (key == Qt::Key_Escape)
        return char16_t(27);
    const QString text = event.text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return std::nullopt;
    return text.at(0).unicode();
}

void AnswerBox::keyPressEvent(QKeyEvent *event)
{
    if (const auto code = typedCode(*event); code && onKeyPress)
        onKeyPress(*code);
    QLineEdit::keyPressEvent(event);
}
