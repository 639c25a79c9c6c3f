// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A label whose caption is kept exactly as set (a record read from a file
// keeps its "\r\n"), drawn with the line end shown as a line break. With
// auto-size on, each new caption resizes the label to its text, keeping
// its top-left corner; the first caption only grows the designed size
// where the text would not fit.
class VbLabel final : public QLabel {
    Q_OBJECT

public:
    explicit VbLabel(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    void setAutoSize(bool on) { m_autoSize = on; }
    void setForeColor(const QColor &color);
    QColor foreColor() const;

private:
    QString m_caption;
    bool m_autoSize = false;
    bool m_keepDesignedSize = true;
};
