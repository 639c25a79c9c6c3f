#include "speech/numlett.h"

#include <QTest>

#include <stdexcept>

class TestNumlett : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExamples_data();
    void workedExamples();
    void rejectsTwelveDigitsAndMore_data();
    void rejectsTwelveDigitsAndMore();
    void groupsCompose();
};

void TestNumlett::workedExamples_data()
{
    QTest::addColumn<qint64>("scaled");
    QTest::addColumn<QString>("words");
    const auto row = [](const char *name, qint64 whole, const char *words) {
        QTest::newRow(name) << whole * Fixed4::kScale << QString::fromLatin1(words);
    };
    row("0", 0, "");
    row("-5", -5, "");
    QTest::newRow("3.7") << qint64(37000) << QStringLiteral("tre");
    QTest::newRow("-0.5") << qint64(-5000) << QString();
    row("1", 1, "uno");
    row("2", 2, "due");
    row("3", 3, "tre");
    row("4", 4, "quattro");
    row("5", 5, "cinque");
    row("6", 6, "sei");
    row("7", 7, "sette");
    row("8", 8, "otto");
    row("9", 9, "nove");
    row("10", 10, "dieci");
    row("17", 17, "diciassettte");
    row("20", 20, "venti");
    row("21", 21, "ventuno");
    row("23", 23, "ventitre");
    row("28", 28, "ventotto");
    row("30", 30, "trenta");
    row("31", 31, "trentuno");
    row("88", 88, "ottantotto");
    row("99", 99, "novantanove");
    row("100", 100, "cento");
    row("101", 101, "centouno");
    row("108", 108, "centootto");
    row("118", 118, "centodiciotto");
    row("121", 121, "centoventuno");
    row("180", 180, "centoottanta");
    row("200", 200, "duecento");
    row("999", 999, "novecentonovantanove");
    row("1000", 1000, "mille");
    row("1001", 1001, "milleuno");
    row("1021", 1021, "milleventuno");
    row("1100", 1100, "millecento");
    row("2000", 2000, "duemila");
    row("2021", 2021, "duemilaventuno");
    row("21000", 21000, "ventunomila");
    row("100000", 100000, "centomila");
    row("101000", 101000, "centounomila");
    row("1000000", 1000000, "unmilione");
    row("1000001", 1000001, "unmilioneuno");
    row("1001000", 1001000, "unmilionemille");
    row("2000000", 2000000, "duemilioni");
    row("21000000", 21000000, "ventunomilioni");
    row("1000000000", 1000000000, "unmiliardo");
    row("2000000000", 2000000000, "duemiliardi");
    row("2500000001", 2500000001, "duemiliardicinquecentomilioniuno");
    row("999999999999", 999999999999, "novecentonovantanovemiliardinovecentonovantanovemilioni"
                                      "novecentonovantanovemilanovecentonovantanove");
}

void TestNumlett::workedExamples()
{
    QFETCH(qint64, scaled);
    QFETCH(QString, words);
    QCOMPARE(numlett(Fixed4::fromScaled(scaled)), words);
}

void TestNumlett::rejectsTwelveDigitsAndMore_data()
{
    QTest::addColumn<qint64>("scaled");
    QTest::newRow("10^12") << qint64(1'000'000'000'000) * Fixed4::kScale;
    QTest::newRow("largest") << std::numeric_limits<qint64>::max();
}

void TestNumlett::rejectsTwelveDigitsAndMore()
{
    QFETCH(qint64, scaled);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(Fixed4::fromScaled(scaled)));
}

// Independent of the worked examples: every number below a million spells
// as the thousands group, its scale word, then the units group.
void TestNumlett::groupsCompose()
{
    QCOMPARE(numlett(21), QStringLiteral("ventuno"));
    QCOMPARE(numlett(3.7), QStringLiteral("tre"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, numlett(1e300));

    QStringList units(1000);
    for (int n = 1; n < 1000; ++n) {
        units[n] = numlett(n);
        QVERIFY2(!units[n].isEmpty(), qPrintable(QString::number(n)));
        for (const QChar c : units[n])
            QVERIFY2(c >= u'a' && c <= u'z', qPrintable(units[n]));
    }
    for (int n = 1000; n < 1'000'000; ++n) {
        const int high = n / 1000;
        const int low = n % 1000;
        const QString expected = (high == 1 ? QStringLiteral("mille") : units[high] + QStringLiteral("mila"))
                                 + units[low];
        if (numlett(n) != expected)
            QFAIL(qPrintable(QStringLiteral("%1: %2, expected %3").arg(n).arg(numlett(n), expected)));
    }
}

QTEST_GUILESS_MAIN(TestNumlett)
#include "tst_numlett.moc"
