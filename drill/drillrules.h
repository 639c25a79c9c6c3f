// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/int16.h"
#include "drill/randomsource.h"

#include <QString>

#include <optional>

// The rules of the drill, free of any window.

// Int(r × 10) + 1 for the generator's next r: 1 to 10, each equally likely.
Int16 drawOneToTen(RandomSource &random);

// An answer is right only when it is the product's text exactly: no
// trimming, no conversion to a number (" 21", "021" are wrong).
bool isRightAnswer(const QString &typed, const QString &product);

// What the character says before the product for the (p+1)-th right
// answer: "Esatto" below ten, "Giusto" above, nothing at ten.
QString verdictWord(int p);

// Whether the child is addressed by name at the (p+1)-th right answer.
bool addressesByName(int p);

struct Praise {
    QString animation;
    QString text;
};

// The praise that follows the (p+1)-th right answer, if any.
std::optional<Praise> praiseFor(int p);
