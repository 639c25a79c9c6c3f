// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's modal boxes: each shows only its text (and the program's
// name as title) with an OK button, and waits until it is closed.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A prompt with an empty field; cancelling gives the empty text.
    virtual QString InputBox(const QString &prompt) = 0;
    virtual void MsgBox(const QString &text) = 0;
};
