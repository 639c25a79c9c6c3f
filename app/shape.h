// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A solid-filled decorative rectangle or circle with a thin border; the
// circle is centred in its box with the box's smaller side as diameter.
class Shape final : public QWidget {
    Q_OBJECT

public:
    enum class Form { Rectangle, Circle };

    Shape(Form form, const QColor &fill, QWidget *parent = nullptr);

    Form form() const { return m_form; }
    QColor fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Form m_form;
    QColor m_fill;
};
