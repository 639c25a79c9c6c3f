// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/messageboxes.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

// The game's name, as the boxes' title.
const QString kTitle = QStringLiteral("Zorvali");

} // namespace

QString MessageBoxes::InputBox(const QString &prompt)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(kTitle);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    if (auto *field = dialog.findChild<QLineEdit *>())
        field->setMaxLength(kMaxNameLength);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void MessageBoxes::MsgBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, m_parent);
    box.setAccessibleName(text);
    box.exec();
}
