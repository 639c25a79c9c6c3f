// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vbbutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

VbButton::VbButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void VbButton::setBackColor(const QColor &color)
{
    m_backColor = color;
    update();
}

void VbButton::setPictures(const Picture &normal, const Picture &pressed, const Picture &disabled)
{
    m_normal = normal;
    m_pressed = pressed;
    m_disabled = disabled;
    update();
}

void VbButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void VbButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool down = isDown();
    const QRect r = rect();

    painter.fillRect(r, m_backColor);
    // A raised bevel, sunken while pressed.
    const QColor light = m_backColor.lighter(150);
    const QColor dark = m_backColor.darker(200);
    painter.setPen(down ? dark : light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(down ? light : dark);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());

    const int shift = down ? 1 : 0;
    const Picture &picture = !isEnabled() ? m_disabled : down ? m_pressed : m_normal;
    const QSize pictureSize(32, 32);
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    const int top = std::max(2, (r.height() - pictureSize.height() - textHeight) / 2);
    const QRect pictureRect(QPoint((r.width() - pictureSize.width()) / 2 + shift, top + shift), pictureSize);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.paint(painter, pictureRect);

    const QRect textRect(r.left() + shift, pictureRect.bottom() + 1 + shift, r.width(), textHeight);
    QStyleOptionButton option;
    option.initFrom(this);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : QColor(0x80, 0x80, 0x80));
    painter.drawText(textRect, flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
