#include "app/shape.h"

#include <QPainter>

Shape::Shape(Form form, const QColor &fill, QWidget *parent) : QWidget(parent), m_form(form), m_fill(fill)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_fill);
    if (m_form == Form::Rectangle) {
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal d = std::min(width(), height()) - 1;
    painter.drawEllipse(QRectF((width() - d) / 2, (height() - d) / 2, d, d));
}
