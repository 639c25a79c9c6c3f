// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/answerbox.h"

#include <QKeyEvent>

AnswerBox::AnswerBox(QWidget *parent) : QLineEdit(parent) {}

std::optional<char16_t> AnswerBox::typedCode(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return char16_t(13);
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return std::nullopt;
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
