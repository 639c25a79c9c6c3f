// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegion>

class QImage;

// The opaque outline of a drawn frame, for shaping a window when nothing
// blends translucent pixels with what lies behind.
class AlphaMask {
public:
    // The pixels of `frame` (32-bit, premultiplied or not) whose alpha is
    // above zero, in the frame's device-independent pixels: a logical pixel
    // is in when any device pixel touching it is. Other formats are
    // converted first. A null frame gives an empty region.
    static QRegion fromImage(const QImage &frame);
};
