// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/espeaksynthesizer.h"
#include "speech/speechengine.h"

#include <QTest>

#include <algorithm>
#include <set>
#include <utility>

// Real Italian speech, into a buffer: no sound device needed.
class TestEspeakSynthesizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void speaksItalian_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        // Digits must come out as the Italian number word, not as silence.
        QTest::newRow("digit 3") << "3" << 150 << 1500;
        QTest::newRow("knight sentence") << "Sei sulla buona strada per diventare cavaliere" << 1500 << 6000;
        // Word positions are counted in characters, not UTF-8 bytes.
        QTest::newRow("accented name") << "Niccolò, sei grande" << 600 << 4000;
    }
    void speaksItalian()
    {
        QFETCH(QString, text);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        // The library is set up once per process; each engine shares that.
        SpeechEngine engine(std::make_unique<EspeakSynthesizer>());
        const SpeechEngine::StartResult started = engine.waitStarted();
        QVERIFY2(started.voiceAvailable, qPrintable(started.error));

        QByteArray pcm;
        QStringList words;
        qint64 lastWordMs = 0;
        std::set<MouthShape> mouths;
        bool final = false;
        connect(&engine, &SpeechEngine::chunkReady, &engine, [&](quint64, const SpeechChunk &chunk) {
            pcm.append(chunk.pcm);
            for (const SpeechEvent &e : chunk.events) {
                if (e.kind == SpeechEvent::Kind::Mouth) {
                    mouths.insert(e.mouth);
                } else {
                    words << text.mid(e.textStart, e.textLength);
                    QVERIFY(e.audioMs >= std::exchange(lastWordMs, e.audioMs));
                }
            }
            final = final || chunk.final;
        });
        engine.request(1, text);
        QTRY_VERIFY_WITH_TIMEOUT(final, 10000);

        const qint64 ms = qint64(pcm.size()) / 2 * 1000 / started.sampleRate;
        QVERIFY2(ms >= minMs && ms <= maxMs, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        // Speech, not silence: a fair share of the samples is loud.
        const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
        const qsizetype loud = std::count_if(samples, samples + pcm.size() / 2, [](qint16 s) { return qAbs(s) > 1000; });
        QVERIFY2(loud * 20 > pcm.size() / 2, "mostly silence");
        QCOMPARE(words, QString(text).remove(QLatin1Char(',')).split(QLatin1Char(' ')));
        QVERIFY(lastWordMs < ms);
        QVERIFY(mouths.size() >= 3);
    }
};

QTEST_GUILESS_MAIN(TestEspeakSynthesizer)
#include "tst_espeaksynthesizer.moc"
