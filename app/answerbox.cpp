// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/answerbox.h"

#include <QKeyEvent>

AnswerBox::AnswerBox(QWidget *parent) : QLineEdit(parent) {}

std::optional<char16_t> AnswerBox::typedCode(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return char16_t(13);
    // Alt and Meta keys belong to the window (Alt+N, Alt+X), not the box.
    if (event.modifiers() & (Qt::MetaModifier | Qt::AltModifier))
        return std::nullopt;
    // Ctrl with a letter types that letter's control character, 1 to 26:
    // Ctrl+M is 13, the same as Enter.
    if (event.modifiers() & Qt::ControlModifier)
        return event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z
                   ? std::optional<char16_t>(char16_t(event.key() - Qt::Key_A + 1))
                   : std::nullopt;
    if (event.key() == Qt::Key_Backspace)
        return char16_t(8);
    if (event.key() == Qt::Key_Escape)
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
