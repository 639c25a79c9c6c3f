#include "speech/espeaksynthesizer.h"

#include <QTemporaryDir>
#include <QTest>

// Missing voice data must be reported, never end the program.
class TestEspeakMissing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingDataIsAnErrorNotAnExit();
};

void TestEspeakMissing::missingDataIsAnErrorNotAnExit()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    EspeakSynthesizer synthesizer(empty.path());
    QString error;
    QVERIFY(!synthesizer.initialize(error));
    // The teacher reads this: the cause and the mend, not a bare code.
    QVERIFY2(error.contains(QStringLiteral("voce")) && error.contains(QStringLiteral("espeak-ng-data")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("errore")), qPrintable(error));

    bool final = false;
    QByteArray audio;
    synthesizer.synthesize(QStringLiteral("tre"), [&](SpeechChunk &&chunk) {
        audio.append(chunk.pcm);
        final = final || chunk.final;
    });
    QVERIFY(final);
    QVERIFY(audio.isEmpty());
}

QTEST_GUILESS_MAIN(TestEspeakMissing)
#include "tst_espeakmissing.moc"
