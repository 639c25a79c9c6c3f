// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picturebox.h"

PictureBox::PictureBox(const Picture &picture, QSize size, QWidget *parent)
    : QLabel(parent), m_picture(picture), m_size(size)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPixmap(m_picture.pixmap(m_size, devicePixelRatioF()));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    // Qt has no density-change event before 6.6; the paint that follows a
    // move to another screen is the first moment the new density is known.
    if (!m_picture.isNull() && pixmap().devicePixelRatio() != devicePixelRatioF())
        setPixmap(m_picture.pixmap(m_size, devicePixelRatioF()));
    QLabel::paintEvent(event);
}
