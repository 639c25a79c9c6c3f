#include "record/recordcodec.h"

#include <QTest>

// Bytes of the record files: old code page 1252 pairs must read back, and any
// name the child types must survive a save unchanged.
class TestRecordCodec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
};

void TestRecordCodec::everyByteRoundTrips()
{
    QSet<QChar> seen;
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString text = RecordCodec::decode(byte);
        QCOMPARE(text.size(), 1);
        seen.insert(text[0]);
        QCOMPARE(RecordCodec::encode(text), byte);
    }
    QCOMPARE(seen.size(), 256);
}

// Text the child can type: each is stored as `bytes` and reads back as itself.
void TestRecordCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("high block") << u"€ œ Ÿ"_qs << QByteArray("\x80 \x9C \x9F");
    QTest::newRow("greek") << u"Ελένη"_qs << u"Ελένη"_qs.toUtf8();
    QTest::newRow("emoji") << u"Luca 🦉"_qs << u"Luca 🦉"_qs.toUtf8();
    QTest::newRow("C1 control with a 1252 byte") << QString(QChar(0x80)) << QByteArray("\xC2\x80");
    // In 1252 these two letters are the bytes C3 A9, which read as UTF-8 "é".
    QTest::newRow("1252 text that looks like utf-8") << u"Ã©"_qs << u"Ã©"_qs.toUtf8();
}

void TestRecordCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(RecordCodec::encode(text), bytes);
    QCOMPARE(RecordCodec::decode(bytes), text);
}

// Bytes that are not UTF-8 after all are an old file's 1252 text.
void TestRecordCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("broken") << QByteArray("\xC3(") << u"Ã("_qs;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << u"À¯"_qs;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << u"í\u00A0€"_qs;
    QTest::newRow("cut sequence") << QByteArray("ab\xE2\x82") << u"abâ‚"_qs;
}

void TestRecordCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(RecordCodec::decode(bytes), text);
}

QTEST_APPLESS_MAIN(TestRecordCodec)
#include "tst_recordcodec.moc"
