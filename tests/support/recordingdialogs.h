// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/dialogs.h"

#include <QStringList>

#include <functional>
#include <optional>

// Boxes that never wait, logged as "InputBox <prompt>" or "MsgBox <text>"; the
// prompt answers `name` (nullopt: cancelled); `onMsgBox` runs while a box is open.
class RecordingDialogs final : public Dialogs {
public:
    std::optional<QString> name;
    QStringList calls;
    std::function<void()> onMsgBox;

    QString InputBox(const QString &prompt) override
    {
        calls << QStringLiteral("InputBox ") + prompt;
        return name.value_or(QString());
    }
    void MsgBox(const QString &text) override
    {
        calls << QStringLiteral("MsgBox ") + text;
        if (onMsgBox)
            onMsgBox();
    }
};
