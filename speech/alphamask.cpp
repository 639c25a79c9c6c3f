// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/alphamask.h"

#include <QImage>

#include <cmath>
#include <vector>

namespace {

bool hasAlphaChannel32(QImage::Format format)
{
    return format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

// Appends the runs of set cells in `row` as one band `height` tall, or
// stretches the previous band when it has exactly the same runs.
void addBand(std::vector<QRect> &rects, qsizetype &bandStart, const std::vector<quint8> &row, int y)
{
    std::vector<QRect> band;
    const int width = int(row.size());
    for (int x = 0; x < width;) {
        if (!row[std::size_t(x)]) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < width && row[std::size_t(x)])
            ++x;
        band.emplace_back(start, y, x - start, 1);
    }
    const qsizetype previous = qsizetype(rects.size()) - bandStart;
    if (!band.empty() && previous == qsizetype(band.size()) && rects.back().bottom() == y - 1) {
        bool same = true;
        for (std::size_t i = 0; i < band.size() && same; ++i) {
            const QRect &old = rects[std::size_t(bandStart) + i];
            same = old.left() == band[i].left() && old.right() == band[i].right();
        }
        if (same) {
            for (std::size_t i = 0; i < band.size(); ++i)
                rects[std::size_t(bandStart) + i].setBottom(y);
            return;
        }
    }
    bandStart = qsizetype(rects.size());
    rects.insert(rects.end(), band.begin(), band.end());
}

} // namespace

QRegion AlphaMask::fromImage(const QImage &frame)
{
    if (frame.isNull())
        return QRegion();
    if (!hasAlphaChannel32(frame.format()))
        return fromImage(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));

    const qreal dpr = frame.devicePixelRatio() > 0 ? frame.devicePixelRatio() : 1;
    // Read once: the scan below runs once per pixel of every animated frame.
    const int width = frame.width();
    const int height = frame.height();
    const int logicalWidth = int(std::ceil(width / dpr));
    const int logicalHeight = int(std::ceil(height / dpr));
    // Device column x touches logical columns first[x] .. last[x].
    std::vector<int> first(static_cast<std::size_t>(width));
    std::vector<int> last(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        first[std::size_t(x)] = int(std::floor(x / dpr));
        last[std::size_t(x)] = std::min(logicalWidth - 1, int(std::ceil((x + 1) / dpr)) - 1);
    }

    std::vector<QRect> rects;
    qsizetype bandStart = 0;
    std::vector<quint8> row(static_cast<std::size_t>(logicalWidth));
    for (int y = 0; y < logicalHeight; ++y) {
        std::fill(row.begin(), row.end(), quint8(0));
        const int top = int(std::floor(y * dpr));
        const int bottom = std::min(height, int(std::ceil((y + 1) * dpr)));
        for (int deviceY = top; deviceY < bottom; ++deviceY) {
            const auto *pixels = reinterpret_cast<const QRgb *>(frame.constScanLine(deviceY));
            for (int x = 0; x < width; ++x) {
                if (qAlpha(pixels[x]) == 0)
                    continue;
                const int to = last[std::size_t(x)];
                for (int lx = first[std::size_t(x)]; lx <= to; ++lx)
                    row[std::size_t(lx)] = 1;
            }
        }
        addBand(rects, bandStart, row, y);
    }
    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), int(rects.size()));
    return region;
}
