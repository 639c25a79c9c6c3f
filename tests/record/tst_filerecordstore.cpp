#include "recordfiles.h"

#include "record/filerecordstore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

// The record pair on disk as the window sees it in one process.
class TestFileRecordStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void systemDir_data();
    void systemDir();
    void systemDirBlockedByAFile();
    void createIfMissing();
    void read_data();
    void read();
    void readIsBounded();
    void unreadable_data();
    void unreadable();
    void save_data();
    void save();
    void saveIntoMissingDirectoryFails();
    void halfDoneSwap_data();
    void halfDoneSwap();

private:
    std::optional<QTemporaryDir> m_tmp;
    QString m_dir;
};

void TestFileRecordStore::init()
{
    m_tmp.emplace();
    QVERIFY(m_tmp->isValid());
    m_dir = m_tmp->path();
}

void TestFileRecordStore::systemDir_data()
{
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("expected");
    QTest::newRow("standard location") << "" << "";
    QTest::newRow("override") << "dati/zorvali" << "dati/zorvali/";
    QTest::newRow("override with slash") << "dati/zorvali//" << "dati/zorvali/";
}

void TestFileRecordStore::systemDir()
{
    QFETCH(QString, override);
    QFETCH(QString, expected);
    FileRecordStore store(override.isEmpty() ? QString() : m_dir + "/" + override);
    const QString dir = store.GetSystemDir();
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    QCOMPARE(dir, expected.isEmpty() ? xdg + "/zorvali/" : m_dir + "/" + expected);
    QVERIFY(QFileInfo(dir).isDir());
    QCOMPARE(store.GetSystemDir(), dir);
}

void TestFileRecordStore::systemDirBlockedByAFile()
{
    putBytes(m_dir + "/zorvali", "non una cartella");
    FileRecordStore store(m_dir + "/zorvali");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.GetSystemDir());
}

void TestFileRecordStore::createIfMissing()
{
    FileRecordStore store(m_dir);
    const QString fresh = m_dir + "/" + kPointsFileName;
    store.createIfMissing(fresh);
    QCOMPARE(bytesOf(fresh), QByteArray(""));

    const QString kept = m_dir + "/" + kNameFileName;
    putBytes(kept, "Amico\r\n");
    store.createIfMissing(kept);
    QCOMPARE(bytesOf(kept), QByteArray("Amico\r\n"));

    QVERIFY(QDir(m_dir).mkdir("cartella"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.createIfMissing(m_dir + "/cartella"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.createIfMissing(m_dir + "/manca/" + kPointsFileName));
}

void TestFileRecordStore::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("record of 12") << QByteArray("12\r\n") << "12\r\n";
    QTest::newRow("first start") << QByteArray() << "";
    QTest::newRow("old 1252 name") << QByteArray("Niccol\xF2\r\n") << u"Niccolò\r\n"_qs;
    QTest::newRow("utf-8 name") << u"Дмитрий\r\n"_qs.toUtf8() << u"Дмитрий\r\n"_qs;
}

void TestFileRecordStore::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    putBytes(m_dir + "/r.txt", bytes);
    QCOMPARE(FileRecordStore(m_dir).Leggifiletxt(m_dir + "/r.txt"), text);
}

void TestFileRecordStore::readIsBounded()
{
    const QString path = m_dir + "/enorme.txt";
    putBytes(path, "7\r\n");
    QVERIFY(::truncate(QFile::encodeName(path).constData(), qint64(4) << 30) == 0);
    QElapsedTimer clock;
    clock.start();
    const QString text = FileRecordStore(m_dir).Leggifiletxt(path);
    QCOMPARE(text.size(), FileRecordStore::kReadLimit);
    QVERIFY(text.startsWith("7\r\n"));
    QVERIFY2(clock.elapsed() < 2000, "reading a huge file stalled");
}

void TestFileRecordStore::unreadable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing" << "non esiste";
    QTest::newRow("directory") << "directory" << "cartella";
    QTest::newRow("fifo") << "fifo" << "pipe";
    QTest::newRow("endless device") << "zero" << "dispositivo";
}

void TestFileRecordStore::unreadable()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = m_dir + "/" + kPointsFileName;
    const QByteArray native = QFile::encodeName(path);
    if (kind == "directory")
        QVERIFY(QDir(m_dir).mkdir(kPointsFileName));
    else if (kind == "fifo")
        QVERIFY(::mkfifo(native.constData(), 0644) == 0);
    else if (kind == "zero")
        QVERIFY(::symlink("/dev/zero", native.constData()) == 0);
    try {
        FileRecordStore(m_dir).Leggifiletxt(path);
        QFAIL("read did not fail");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(reason), error.what());
    }
}

void TestFileRecordStore::save_data()
{
    QTest::addColumn<QByteArray>("oldPoints");
    QTest::addColumn<QByteArray>("oldName");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("shown");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<QByteArray>("nameBytes");
    const QByteArray none("<missing>");
    QTest::newRow("12 beats nothing") << none << none << "12" << "Amico" << 0.0 << true
                                      << QByteArray("\x31\x32\x0D\x0A") << QByteArray("\x41\x6D\x69\x63\x6F\x0D\x0A");
    QTest::newRow("first start, 0") << QByteArray() << QByteArray() << "0" << "Amico" << 0.0 << false
                                    << QByteArray() << QByteArray();
    QTest::newRow("first start, 1") << QByteArray() << QByteArray() << "1" << "Ada" << 0.0 << true
                                    << QByteArray("1\r\n") << QByteArray("Ada\r\n");
    QTest::newRow("equal") << QByteArray("12\r\n") << QByteArray("Ugo\r\n") << "12" << "Amico" << 12.0 << false
                           << QByteArray("12\r\n") << QByteArray("Ugo\r\n");
    QTest::newRow("13 beats 12, replaces whole")
        << QByteArray("12\r\n") << QByteArray("Massimiliano\r\n") << "13" << "Amico" << 12.0 << true
        << QByteArray("13\r\n") << QByteArray("Amico\r\n");
    QTest::newRow("stored meanwhile is higher")
        << QByteArray("20\r\n") << QByteArray("Zeno\r\n") << "15" << "Amico" << 12.0 << false
        << QByteArray("20\r\n") << QByteArray("Zeno\r\n");
    QTest::newRow("shown is higher") << QByteArray("5\r\n") << QByteArray("Eva\r\n") << "8" << "Amico" << 10.0
                                     << false << QByteArray("5\r\n") << QByteArray("Eva\r\n");
    QTest::newRow("grave accent") << none << none << "3" << u"Niccolò"_qs << 0.0 << true << QByteArray("3\r\n")
                                  << QByteArray("Niccol\xF2\r\n");
    QTest::newRow("diaeresis") << none << none << "3" << u"Zoë"_qs << 0.0 << true << QByteArray("3\r\n")
                               << QByteArray("Zo\xEB\r\n");
    QTest::newRow("cyrillic") << none << none << "3" << u"Дмитрий"_qs << 0.0 << true << QByteArray("3\r\n")
                              << u"Дмитрий\r\n"_qs.toUtf8();
}

void TestFileRecordStore::save()
{
    QFETCH(QByteArray, oldPoints);
    QFETCH(QByteArray, oldName);
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(double, shown);
    QFETCH(bool, saved);
    QFETCH(QByteArray, points);
    QFETCH(QByteArray, nameBytes);
    if (oldPoints != "<missing>")
        putPair(m_dir, oldPoints, oldName);

    FileRecordStore store(m_dir);
    const QString dir = store.GetSystemDir();
    const SaveOutcome outcome = store.saveIfBeaten(dir, score, name, shown);
    QCOMPARE(outcome.kind, saved ? SaveOutcome::Kind::Saved : SaveOutcome::Kind::NotBeaten);
    QCOMPARE(bytesOf(dir + kPointsFileName), points);
    QCOMPARE(bytesOf(dir + kNameFileName), nameBytes);
    QCOMPARE(leftovers(m_dir), QStringList());
    if (saved) {
        QCOMPARE(store.Leggifiletxt(dir + kPointsFileName), score + "\r\n");
        QCOMPARE(store.Leggifiletxt(dir + kNameFileName), name + "\r\n");
    }
}

void TestFileRecordStore::saveIntoMissingDirectoryFails()
{
    const QString missing = m_dir + "/sparita/";
    const SaveOutcome outcome = FileRecordStore(m_dir).saveIfBeaten(missing, "9", "Amico", 0);
    QCOMPARE(outcome.kind, SaveOutcome::Kind::Failed);
    QVERIFY2(outcome.reason.startsWith("impossibile scrivere nella cartella " + m_dir + "/sparita:"),
             qPrintable(outcome.reason));
    QVERIFY(!QFileInfo::exists(missing));
}

// States a power failure can leave, built by hand: with the marker the new
// pair is complete and is put in place; without it, it is thrown away.
void TestFileRecordStore::halfDoneSwap_data()
{
    QTest::addColumn<bool>("marker");
    QTest::addColumn<QByteArray>("pointsNow");
    QTest::addColumn<QByteArray>("pointsTemp");
    QTest::addColumn<QByteArray>("nameTemp");
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<QByteArray>("name");
    const QByteArray old("4\r\n");
    const QByteArray fresh("9\r\n");
    QTest::newRow("committed, nothing moved") << true << old << fresh << QByteArray("Noa\r\n") << fresh
                                              << QByteArray("Noa\r\n");
    QTest::newRow("committed, points moved") << true << fresh << QByteArray() << QByteArray("Noa\r\n") << fresh
                                             << QByteArray("Noa\r\n");
    QTest::newRow("uncommitted") << false << old << fresh << QByteArray("Noa\r\n") << old << QByteArray("Ivo\r\n");
    QTest::newRow("torn, uncommitted") << false << old << QByteArray("9") << QByteArray() << old
                                       << QByteArray("Ivo\r\n");
}

void TestFileRecordStore::halfDoneSwap()
{
    QFETCH(bool, marker);
    QFETCH(QByteArray, pointsNow);
    QFETCH(QByteArray, pointsTemp);
    QFETCH(QByteArray, nameTemp);
    QFETCH(QByteArray, points);
    QFETCH(QByteArray, name);
    putPair(m_dir, pointsNow, "Ivo\r\n");
    if (marker)
        putBytes(m_dir + "/" + FileRecordStore::kPendingFileName, {});
    if (!pointsTemp.isEmpty())
        putBytes(m_dir + "/" + kPointsFileName + FileRecordStore::kTempSuffix, pointsTemp);
    if (!nameTemp.isEmpty())
        putBytes(m_dir + "/" + kNameFileName + FileRecordStore::kTempSuffix, nameTemp);

    const QString dir = FileRecordStore(m_dir).GetSystemDir();
    QCOMPARE(bytesOf(dir + kPointsFileName), points);
    QCOMPARE(bytesOf(dir + kNameFileName), name);
    QCOMPARE(leftovers(m_dir), QStringList());
}

int main(int argc, char **argv)
{
    // The standard location must never be the real user's: it is pointed
    // into a directory of this run before any test asks for it.
    const QTemporaryDir home;
    if (!home.isValid() || !qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/xdg")))
        return 1;
    QCoreApplication app(argc, argv);
    TestFileRecordStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_filerecordstore.moc"
