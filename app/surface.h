// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

// The window's client area. What is painted on it goes into a background
// image kept behind every control, so it survives repaints until cleared.
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
    // The background image as shown, in device pixels.
    const QImage &drawing() const { return m_drawing; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ensureImage();

    QColor m_backColor;
    QImage m_drawing;
    bool m_hasDrawing = false;
};
