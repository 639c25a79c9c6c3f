// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/espeaksynthesizer.h"

#include <QTemporaryDir>
#include <QTest>

// Missing voice data must be reported, never end the program.
class TestEspeakMissing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingDataIsAnErrorNotAnExit()
    {
        QTemporaryDir empty;
        EspeakSynthesizer synthesizer(empty.path());
        QString error;
        QVERIFY(!synthesizer.initialize(error));
        // The teacher reads this: the cause and the mend, not a bare code.
        QCOMPARE(error, QStringLiteral("Mancano i dati della voce di Merlin o non si leggono: "
                                       "installate il pacchetto espeak-ng-data."));
        bool final = false;
        QByteArray audio;
        synthesizer.synthesize(QStringLiteral("tre"), [&](SpeechChunk &&chunk) {
            audio.append(chunk.pcm);
            final = final || chunk.final;
        });
        QVERIFY(final && audio.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEspeakMissing)
#include "tst_espeakmissing.moc"
