// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/dialogs.h"

class QWidget;

// The real modal boxes.
class MessageBoxes final : public Dialogs {
public:
    // The longest name the prompt takes: it must fit the window's name label.
    static constexpr int kMaxNameLength = 30;

    explicit MessageBoxes(QWidget *parent = nullptr) : m_parent(parent) {}

    QString InputBox(const QString &prompt) override;
    void MsgBox(const QString &text) override;

private:
    QWidget *m_parent;
};
