// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vblabel.h"

VbLabel::VbLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    // A framed label would otherwise indent its text by half an "x".
    setIndent(0);
}

void VbLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    setText(shown);
    if (m_autoSize) {
        // The text's own extent plus the border, as the classic labels did.
        const QFontMetrics metrics(font());
        const QStringList lines = shown.split(u'\n');
        int width = 0;
        for (const QString &line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        const int border = 2 * frameWidth();
        const QSize fitted(width + border, metrics.lineSpacing() * int(lines.size()) + border);
        resize(m_keepDesignedSize ? fitted.expandedTo(size()) : fitted);
        m_keepDesignedSize = false;
    }
}

void VbLabel::setForeColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor VbLabel::foreColor() const { return palette().color(QPalette::WindowText); }
