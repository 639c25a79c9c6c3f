// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/numlett.h"

#include <QRegularExpression>
#include <QTest>

#include <stdexcept>

namespace {
// 1 to 10 in full, then each rule: elision before a vowel, "cento" kept
// whole, singular and plural scale words. "diciassettte" is spelt as shown.
// Between a thousand and a million, groupsCompose checks every number.
constexpr std::pair<qint64, const char *> kExamples[] = {
    {0, ""}, {-5, ""}, {1, "uno"}, {2, "due"}, {3, "tre"}, {4, "quattro"}, {5, "cinque"}, {6, "sei"},
    {7, "sette"}, {8, "otto"}, {9, "nove"}, {10, "dieci"}, {17, "diciassettte"}, {20, "venti"},
    {21, "ventuno"}, {23, "ventitre"}, {28, "ventotto"}, {30, "trenta"}, {31, "trentuno"},
    {88, "ottantotto"}, {99, "novantanove"}, {100, "cento"}, {101, "centouno"}, {108, "centootto"},
    {118, "centodiciotto"}, {121, "centoventuno"}, {180, "centoottanta"}, {200, "duecento"},
    {999, "novecentonovantanove"}, {1000000, "unmilione"}, {1000001, "unmilioneuno"},
    {1001000, "unmilionemille"}, {2000000, "duemilioni"}, {21000000, "ventunomilioni"},
    {1000000000, "unmiliardo"}, {2000000000, "duemiliardi"}, {2500000001, "duemiliardicinquecentomilioniuno"},
    {999999999999, "novecentonovantanovemiliardinovecentonovantanovemilioni"
                   "novecentonovantanovemilanovecentonovantanove"},
};
} // namespace

class TestNumlett : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExamples_data()
    {
        QTest::addColumn<qint64>("scaled");
        QTest::addColumn<QString>("words");
        for (const auto &[whole, words] : kExamples)
            QTest::addRow("%lld", whole) << whole * Fixed4::kScale << QString::fromLatin1(words);
        // Only the whole part is spelled.
        QTest::newRow("3.7") << qint64(37000) << QStringLiteral("tre");
        QTest::newRow("-0.5") << qint64(-5000) << QString();
    }
    void workedExamples()
    {
        QFETCH(qint64, scaled);
        QFETCH(QString, words);
        QCOMPARE(numlett(Fixed4::fromScaled(scaled)), words);
    }

    void rejectsTwelveDigitsAndMore()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(Fixed4::fromScaled(qint64(1e12) * Fixed4::kScale)));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(Fixed4::fromScaled(std::numeric_limits<qint64>::max())));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(1e300));
    }

    // Apart from the examples: below a million every number spells as its
    // thousands group, the scale word, then its units group.
    void groupsCompose()
    {
        QStringList units(1000);
        static const QRegularExpression lowerCase(QStringLiteral("^[a-z]+$"));
        for (int n = 1; n < 1000; ++n)
            QVERIFY2(lowerCase.match(units[n] = numlett(n)).hasMatch(), qPrintable(QString::number(n)));
        for (int n = 1000; n < 1'000'000; ++n) {
            const QString high = n / 1000 == 1 ? QStringLiteral("mille") : units[n / 1000] + QStringLiteral("mila");
            if (numlett(n) != high + units[n % 1000])
                QFAIL(qPrintable(QStringLiteral("%1: %2").arg(n).arg(numlett(n))));
        }
    }
};

QTEST_GUILESS_MAIN(TestNumlett)
#include "tst_numlett.moc"
