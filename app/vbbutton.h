// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/picture.h"

#include <QAbstractButton>

// A push button with its picture above the caption and a picture of its own
// for the normal, pressed and disabled states. The "&" in the caption makes
// the access key. Enter presses it as well as Space: children press Enter
// twice to get the next question.
class VbButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit VbButton(QWidget *parent = nullptr);

    void setBackColor(const QColor &color);
    QColor backColor() const { return m_backColor; }
    void setPictures(const Picture &normal, const Picture &pressed, const Picture &disabled);

    QSize sizeHint() const override { return {121, 57}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor m_backColor;
    Picture m_normal;
    Picture m_pressed;
    Picture m_disabled;
};
