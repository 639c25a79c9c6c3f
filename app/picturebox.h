// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/picture.h"

#include <QLabel>

// A label showing one picture at its box's top-left, made again whenever
// the window moves to a screen of another pixel density, so it stays sharp.
class PictureBox final : public QLabel {
    Q_OBJECT

public:
    PictureBox(const Picture &picture, QSize size, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Picture m_picture;
    QSize m_size;
};
