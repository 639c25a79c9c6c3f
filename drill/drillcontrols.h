// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The controls the drill reads and writes, as plain values. The window
// copies its widgets in before each handler and shows what the handler left.
struct DrillControls {
    enum class Focus { Elsewhere, Text3, cmdNext };
    // The gradient painted behind the controls: (red, green, k) for band k.
    struct Tint {
        int red = 0;
        int green = 0;
        friend bool operator==(const Tint &, const Tint &) = default;
    };
    static constexpr std::uint32_t kRed = 0xFF0000;
    static constexpr std::uint32_t kBlue = 0x0000FF;

    QString lblNum1;
    QString lblNum2;
    // lblNum1, Label10 ("X") and lblNum2 are shown and hidden together.
    bool factorsVisible = false;
    QString lblMessage;
    std::uint32_t lblMessageColor = kRed;
    QString lblScore;
    QString lblScore1;
    QString lblScore2;
    QString Text1;
    QString Text3;
    QString Text6;
    QString Text7;
    QString Txtnome1;
    bool cmdNextEnabled = false;
    Focus focus = Focus::Elsewhere;
    std::optional<Tint> gradient;
};
