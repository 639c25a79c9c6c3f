// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/numlett.h"

#include <QTest>

#include <stdexcept>

// The words Merlin says for the numbers of the drill.
class TestNumlett : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The factors the child hears, "diciassettte" as it is spelt, and the
    // first number too long to spell.
    void spells()
    {
        const char *const kOneToTen[] = {"", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove",
                                         "dieci"};
        for (int factor = 0; factor <= 10; ++factor)
            QCOMPARE(numlett(factor), QString::fromLatin1(kOneToTen[factor]));
        QCOMPARE(numlett(17), QStringLiteral("diciassettte"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(1'000'000'000'000));
    }
};

QTEST_MAIN(TestNumlett)
#include "tst_numlett.moc"
