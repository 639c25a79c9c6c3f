// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

// The window's client area. What is painted on it is drawn behind every
// control at each repaint, so it survives repaints until cleared.
class Surface final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBands = 256;

    explicit Surface(const QColor &backColor, QWidget *parent = nullptr);

    // 256 horizontal bands of equal height, edge to edge, top to bottom in
    // (red, green, k) for k = 0..255.
    void paintGradient(int red, int green);
    // Removes everything painted; the controls are not affected.
    void clearDrawing();
    bool hasDrawing() const { return m_hasDrawing; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backColor;
    int m_red = 0;
    int m_green = 0;
    bool m_hasDrawing = false;
};
