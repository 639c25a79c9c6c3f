#include "record/filerecordstore.h"
#include "record/recordcodec.h"
#include "recordfiles.h"

#include <QTemporaryDir>
#include <QTest>

// A byte-order mark at the start of a record file is an editor's, and is
// dropped; one that starts a child's name is part of the name and is kept.
class TestByteOrderMark : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameSurvivesSave_data();
    void nameSurvivesSave();
    void editorsMarkIsDropped_data();
    void editorsMarkIsDropped();
};

void TestByteOrderMark::nameSurvivesSave_data()
{
    QTest::addColumn<QString>("name");
    const QChar mark(0xFEFF);
    QTest::newRow("mark then a 1252 name") << QString(mark) + u"Anna"_qs;
    QTest::newRow("two marks") << QString(mark) + mark + u"Lia"_qs;
    QTest::newRow("mark alone") << QString(mark);
    QTest::newRow("mark then greek") << QString(mark) + u"Ελένη"_qs;
    QTest::newRow("mark inside") << u"Ann"_qs + mark + u"a"_qs;
}

void TestByteOrderMark::nameSurvivesSave()
{
    QFETCH(QString, name);
    QCOMPARE(RecordCodec::decode(RecordCodec::encode(name)), name);

    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    FileRecordStore store(scratch.path());
    const QString dir = store.GetSystemDir();
    QCOMPARE(store.saveIfBeaten(dir, u"12"_qs, name, 0).kind, SaveOutcome::Kind::Saved);
    QCOMPARE(store.Leggifiletxt(dir + kNameFileName), name + u"\r\n"_qs);
}

void TestByteOrderMark::editorsMarkIsDropped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("points") << QByteArray("\xEF\xBB\xBF" "12\r\n") << u"12\r\n"_qs << 12.0;
    QTest::newRow("name") << QByteArray("\xEF\xBB\xBF" "Niccol\xC3\xB2\r\n") << u"Niccolò\r\n"_qs << 0.0;
    QTest::newRow("mark only") << QByteArray("\xEF\xBB\xBF") << QString() << 0.0;
}

void TestByteOrderMark::editorsMarkIsDropped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(double, value);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    FileRecordStore store(scratch.path());
    const QString path = store.GetSystemDir() + kPointsFileName;
    putBytes(path, bytes);
    const QString read = store.Leggifiletxt(path);
    QCOMPARE(read, text);
    QCOMPARE(captionValue(read), value);
}

QTEST_GUILESS_MAIN(TestByteOrderMark)
#include "tst_byteordermark.moc"
