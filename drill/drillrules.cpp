// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/drillrules.h"

#include <array>

Int16 drawOneToTen(RandomSource &random)
{
    const double r = random.Rnd();
    // Guard against a source that returns 1.0 or more: that would draw 11.
    const int drawn = static_cast<int>(r * 10) + 1;
    return Int16(drawn < 1 ? 1 : drawn > 10 ? 10 : drawn);
}

bool isRightAnswer(const QString &typed, const QString &product) { return typed == product; }

QString verdictWord(int p)
{
    if (p < 10)
        return QStringLiteral("Esatto");
    if (p > 10)
        return QStringLiteral("Giusto");
    return {};
}

bool addressesByName(int p) { return p == 3 || p == 7 || p == 12 || p == 21 || p == 26; }

std::optional<Praise> praiseFor(int p)
{
    struct Row {
        int p;
        const char *animation;
        const char *text;
    };
    static constexpr std::array<Row, 8> kLadder = {{
        {2, "congratulate", "Sei grande"},
        {5, "domagic1", "Sei forte"},
        {14, "congratulate", "Sei eccezionale"},
        {13, "domagic2", "Sei in gamba"},
        {10, "congratulate", "Sei sulla buona strada per diventare cavaliere"},
        {18, "congratulate", "Sei insuperabile"},
        {23, "congratulate", "Ti nomino cavaliere della tabellina, il massimo ordine per un eroe"},
        {27, "congratulate", "Hai lavorato bene mio leale campione: sei invincibile"},
    }};
    for (const Row &row : kLadder) {
        if (row.p == p)
            return Praise{QString::fromLatin1(row.animation), QString::fromLatin1(row.text)};
    }
    return std::nullopt;
}
