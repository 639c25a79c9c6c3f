#include "speech/espeaksynthesizer.h"
#include "speech/speechengine.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

struct Heard {
    QByteArray pcm;
    std::vector<SpeechEvent> words;
    int mouthEvents = 0;
    bool final = false;
};

double rms(const QByteArray &pcm)
{
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    if (count == 0)
        return 0;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

} // namespace

class TestEspeakSynthesizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void speaksItalian_data();
    void speaksItalian();
    void mouthShapes_data();
    void mouthShapes();

private:
    std::unique_ptr<SpeechEngine> m_engine;
    int m_rate = 0;
    quint64 m_nextId = 1;
};

void TestEspeakSynthesizer::initTestCase()
{
    m_engine = std::make_unique<SpeechEngine>(std::make_unique<EspeakSynthesizer>());
    const SpeechEngine::StartResult started = m_engine->waitStarted();
    QVERIFY2(started.voiceAvailable, qPrintable(started.error));
    m_rate = started.sampleRate;
    QVERIFY(m_rate >= 8000);
}

void TestEspeakSynthesizer::cleanupTestCase()
{
    m_engine.reset();
}

void TestEspeakSynthesizer::speaksItalian_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");

    // Digits must come out as the Italian number word, not as silence.
    QTest::newRow("digit 3") << "3" << 150 << 1500;
    QTest::newRow("per") << "per" << 120 << 1200;
    QTest::newRow("sette") << "sette" << 200 << 1500;
    QTest::newRow("product 30") << "30" << 200 << 1800;
    QTest::newRow("misspelt seventeen, spoken as written") << "diciassettte" << 400 << 2500;
    QTest::newRow("knight sentence") << "Sei sulla buona strada per diventare cavaliere" << 1500 << 6000;
    QTest::newRow("accented name") << "Niccolò, sei grande" << 600 << 4000;
}

void TestEspeakSynthesizer::speaksItalian()
{
    QFETCH(QString, text);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);

    const quint64 id = m_nextId++;
    Heard heard;
    auto connection = connect(m_engine.get(), &SpeechEngine::chunkReady, this,
                              [&](quint64 from, const SpeechChunk &chunk) {
                                  if (from != id)
                                      return;
                                  heard.pcm.append(chunk.pcm);
                                  for (const SpeechEvent &e : chunk.events) {
                                      if (e.kind == SpeechEvent::Kind::Word)
                                          heard.words.push_back(e);
                                      else
                                          ++heard.mouthEvents;
                                  }
                                  heard.final = heard.final || chunk.final;
                              });
    m_engine->request(id, text);
    QTRY_VERIFY_WITH_TIMEOUT(heard.final, 10000);
    disconnect(connection);

    const qint64 ms = qint64(heard.pcm.size()) / 2 * 1000 / m_rate;
    QVERIFY2(ms >= minMs && ms <= maxMs, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    QVERIFY2(rms(heard.pcm) > 300, qPrintable(QStringLiteral("rms %1").arg(rms(heard.pcm))));

    const QStringList expectedWords = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(int(heard.words.size()), int(expectedWords.size()));
    qint64 lastAt = -1;
    int lastStart = -1;
    for (std::size_t i = 0; i < heard.words.size(); ++i) {
        const SpeechEvent &w = heard.words[i];
        QVERIFY(w.audioMs >= lastAt);
        QVERIFY(w.textStart > lastStart);
        QVERIFY2(w.audioMs < ms, qPrintable(QStringLiteral("word %1 at %2 of %3 ms").arg(i).arg(w.audioMs).arg(ms)));
        QString word = expectedWords.at(int(i));
        word.remove(QLatin1Char(','));
        QCOMPARE(text.mid(w.textStart, w.textLength), word);
        lastAt = w.audioMs;
        lastStart = w.textStart;
    }
    QVERIFY(heard.mouthEvents >= int(expectedWords.size()));
}

void TestEspeakSynthesizer::mouthShapes_data()
{
    QTest::addColumn<QByteArray>("phoneme");
    QTest::addColumn<int>("shape");
    QTest::newRow("a opens wide") << QByteArray("a") << int(MouthShape::Wide);
    QTest::newRow("stressed a") << QByteArray("'a") << int(MouthShape::Wide);
    QTest::newRow("o rounds") << QByteArray("o") << int(MouthShape::Round);
    QTest::newRow("u rounds") << QByteArray("u") << int(MouthShape::Round);
    QTest::newRow("i narrows") << QByteArray("i") << int(MouthShape::Narrow);
    QTest::newRow("p closes") << QByteArray("p") << int(MouthShape::Closed);
    QTest::newRow("m closes") << QByteArray("m") << int(MouthShape::Closed);
    QTest::newRow("t opens") << QByteArray("t") << int(MouthShape::Open);
    QTest::newRow("pause rests") << QByteArray("_:") << int(MouthShape::Rest);
    QTest::newRow("empty rests") << QByteArray("") << int(MouthShape::Rest);
}

void TestEspeakSynthesizer::mouthShapes()
{
    QFETCH(QByteArray, phoneme);
    QFETCH(int, shape);
    QCOMPARE(int(EspeakSynthesizer::mouthForPhoneme(phoneme.constData())), shape);
}

QTEST_GUILESS_MAIN(TestEspeakSynthesizer)
#include "tst_espeaksynthesizer.moc"
