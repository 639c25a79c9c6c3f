#include "record/recordstore.h"

#include <QTest>

// The lenient number that decides whether a record is beaten.
class TestCaptionValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void value_data();
    void value();
};

void TestCaptionValue::value_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("expected");
    QTest::newRow("stored line") << "12\r\n" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("leading blanks") << " \t\n7x" << 7.0;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("decimal") << "1.5" << 1.5;
    QTest::newRow("beyond 64 bits") << "99999999999999999999" << 1e20;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma stops") << "2,5" << 2.0;
    QTest::newRow("no exponent") << "3e2" << 3.0;
    QTest::newRow("carriage return first") << "\r12" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("blank after sign") << "- 5" << 0.0;
    QTest::newRow("too large") << QString(400, u'9') << qInf();
    QTest::newRow("too small") << "0." + QString(400, u'0') + "1" << 0.0;
}

void TestCaptionValue::value()
{
    QFETCH(QString, caption);
    QFETCH(double, expected);
    QCOMPARE(captionValue(caption), expected);
}

QTEST_APPLESS_MAIN(TestCaptionValue)
#include "tst_captionvalue.moc"
