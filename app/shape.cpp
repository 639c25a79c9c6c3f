// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shape.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// Screen readers meet a shape as a picture with its name, not as an
// unnamed pane to wander into.
QAccessibleInterface *accessibleShape(const QString &className, QObject *object)
{
    if (className != QLatin1String(Shape::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
}

} // namespace

Shape::Shape(Form form, const QColor &fill, QWidget *parent) : QWidget(parent), m_form(form), m_fill(fill)
{
    static const bool installed = (QAccessible::installFactory(accessibleShape), true);
    Q_UNUSED(installed);
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
