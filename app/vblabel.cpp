#include "app/vblabel.h"

VbLabel::VbLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void VbLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    setText(shown);
    if (m_autoSize)
        resize(sizeHint());
}

void VbLabel::setForeColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor VbLabel::foreColor() const { return palette().color(QPalette::WindowText); }
