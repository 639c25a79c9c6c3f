// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/numlett.h"

#include <QTest>

#include <stdexcept>
#include <utility>

class TestNumlett : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void spells()
    {
        // The factors the child hears, then one example of each rule: the
        // tens' vowel dropped before "uno" and "otto", "cento" kept whole,
        // singular and plural scale words. "diciassettte" is spelt as shown.
        constexpr std::pair<qint64, const char *> kExamples[] = {
            {0, ""}, {1, "uno"}, {2, "due"}, {3, "tre"}, {4, "quattro"}, {5, "cinque"}, {6, "sei"}, {7, "sette"},
            {8, "otto"}, {9, "nove"}, {10, "dieci"}, {17, "diciassettte"}, {21, "ventuno"}, {23, "ventitre"},
            {38, "trentotto"}, {101, "centouno"}, {180, "centoottanta"}, {999, "novecentonovantanove"}, {1000, "mille"},
            {1001, "milleuno"}, {21000, "ventunomila"}, {1000000, "unmilione"}, {2001000, "duemilionimille"},
            {1000000000, "unmiliardo"}, {2500000001, "duemiliardicinquecentomilioniuno"},
            {999999999999, "novecentonovantanovemiliardinovecentonovantanovemilioni"
                           "novecentonovantanovemilanovecentonovantanove"}};
        for (const auto &[whole, words] : kExamples)
            QCOMPARE(numlett(whole), QString::fromLatin1(words));
        // Only the whole part is spelled.
        QCOMPARE(numlett(3.7), QStringLiteral("tre"));
    }

    void rejectsTwelveDigitsAndMore()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(1'000'000'000'000));
    }
};

QTEST_GUILESS_MAIN(TestNumlett)
#include "tst_numlett.moc"
