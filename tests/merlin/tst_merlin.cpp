// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeclock.h"

#include "merlin/espeaksynthesizer.h"
#include "merlin/merlinagent.h"
#include "merlin/merlinoverlay.h"
#include "merlin/performer.h"
#include "merlin/stage.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

// The real Italian voice, counting the utterances it has delivered and how
// much of them is loud enough to hear.
struct CountingVoice final : Synthesizer {
    explicit CountingVoice(const QString &dataParent) : voice(dataParent) {}
    bool initialize(QString &error) override { return voice.initialize(error); }
    int sampleRate() const override { return voice.sampleRate(); }
    void synthesize(const QString &text, const ChunkSink &sink) override
    {
        voice.synthesize(text, [&](SpeechChunk &&chunk) {
            const auto *samples = reinterpret_cast<const qint16 *>(chunk.pcm.constData());
            all += chunk.pcm.size() / 2;
            loud += std::count_if(samples, samples + chunk.pcm.size() / 2, [](qint16 s) { return qAbs(s) > 1000; });
            sink(std::move(chunk));
        });
        ++delivered;
    }
    std::atomic<int> delivered = 0;
    std::atomic<qsizetype> loud = 0, all = 0;
    EspeakSynthesizer voice;
};

// Writes down, in order, each change a child would notice.
struct RecordingStage final : Stage {
    explicit RecordingStage(const Clock &clock) : clock(clock) {}
    void setOpacity(qreal value) override { note(value >= 1 ? "shown" : ""); }
    void setTopLeft(QPoint) override {}
    void setCharacterHeight(int pixels) override { note("height " + QString::number(pixels)); }
    void setAnimation(const QString &name, qreal) override { note(name.isEmpty() ? "idle" : "play " + name); }
    void setMouth(MouthShape shape) override { mouths.insert(mouth = shape); }
    void setBalloon(const QString &text) override
    {
        if ((balloon = text).isEmpty())
            return;
        note("balloon " + text);
        // Words said one after another show one after another.
        allAtOnce = allAtOnce || clock.nowMs() == std::exchange(wordAt, clock.nowMs());
    }
    void note(const QString &what)
    {
        if (!what.isEmpty() && (log.isEmpty() || log.last() != what))
            log << what;
    }
    const Clock &clock;
    QStringList log;
    QString balloon;
    qint64 wordAt = -1;
    bool allAtOnce = false;
    std::set<MouthShape> mouths;
    MouthShape mouth = MouthShape::Rest;
};

struct State {
    QString animation{};
    qreal progress = 0;
    MouthShape mouth = MouthShape::Rest;
    QString balloon{};
    qreal opacity = 1;
};

void apply(MerlinOverlay &overlay, const State &state)
{
    overlay.setAnimation(state.animation, state.progress);
    overlay.setMouth(state.mouth);
    overlay.setBalloon(state.balloon);
    overlay.setOpacity(state.opacity);
    overlay.freezeIdleAt(1000);
    overlay.renderPending();
}
} // namespace

// Merlin as the child sees and hears him: his drawing, and what he does
// with or without his voice.
class TestMerlin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Only what changed is redrawn; a part left out is a stale picture
    // before the child's eyes. Each step must look as if drawn from scratch.
    void partialRedrawMatchesFullDrawing()
    {
        const State talking{.mouth = MouthShape::Wide, .balloon = QStringLiteral("3 per sette")};
        const State steps[] = {{}, {.mouth = MouthShape::Open}, talking,
                               {.mouth = MouthShape::Round, .balloon = QStringLiteral("3 per sette fa ventuno, bravo")},
                               talking, {.animation = QStringLiteral("Greet"), .progress = 0.42},
                               {.animation = QStringLiteral("Greet"), .progress = 0.6}, {.opacity = 0.4}, talking};
        // Clipped and whole drawing may round a blended edge by a unit; a
        // stale pixel is off by far more.
        const auto close = [](uchar a, uchar b) { return qAbs(a - b) <= 2; };
        MerlinOverlay stepwise;
        for (const State &step : steps) {
            MerlinOverlay fresh;
            apply(stepwise, step);
            apply(fresh, step);
            const QImage &got = stepwise.frame();
            QVERIFY2(got.size() == fresh.frame().size()
                         && std::equal(got.bits(), got.bits() + got.sizeInBytes(), fresh.frame().bits(), close),
                     qPrintable(QStringLiteral("step %1").arg(&step - steps)));
        }
    }

    // With or without voice data the child sees the same, in the order the
    // game asked for it. The row without voice data runs in a process of its
    // own (see CMakeLists.txt): the voice library is set up once per process.
    void performsInOrder_data()
    {
        // The teacher reads why Merlin is silent: the cause and the mend.
        QTest::addColumn<QString>("loadError");
        QTest::newRow("voice") << QString();
        QTest::newRow("missing") << QStringLiteral("Mancano i dati della voce di Merlin o non si leggono: installate "
                                                   "il pacchetto espeak-ng-data. Merlin si muoverà e scriverà nel "
                                                   "fumetto, ma senza parlare.");
    }
    void performsInOrder()
    {
        QFETCH(QString, loadError);
        const bool voiceMissing = !loadError.isEmpty();
        static bool voiceSetUp = false;
        if (voiceMissing && voiceSetUp)
            QSKIP("the voice library is already set up in this process: run this row on its own");
        voiceSetUp = true;
        FakeClock clock;
        RecordingStage stage(clock);
        const QTemporaryDir empty;
        auto voice = std::make_unique<CountingVoice>(voiceMissing ? empty.path() : QString());
        const CountingVoice &heard = *voice;
        MerlinAgent agent({std::move(voice), &clock, &stage, false});
        // Only Merlin, and only once loaded.
        CharacterCollection &characters = agent.Characters();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, characters.Character(QStringLiteral("Merlin")));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, characters.Load(QStringLiteral("Genie"), {}));
        QString error;
        try {
            characters.Load(QStringLiteral("Merlin"), QStringLiteral("C:\\Merlin.chr"));
        } catch (const std::runtime_error &e) {
            error = QString::fromUtf8(e.what());
        }
        QCOMPARE(error, loadError);
        Character &merlin = characters.Character(QStringLiteral("Merlin"));

        merlin.Show();
        merlin.Play(QStringLiteral("Greet"));
        for (const char *word : {"3", "per", "sette"})
            merlin.Speak(QString::fromLatin1(word));
        // The praise is issued while the question still plays: it waits its turn.
        merlin.Play(QStringLiteral("CONGRATULATE"));
        merlin.Speak(QStringLiteral("Niccolò sei grande"));
        // A failing call adds nothing; what comes after it still plays.
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Play(QStringLiteral("ballare")));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Height(2001));
        merlin.Play(QStringLiteral("doMagic1"));

        // The voice delivers everything first, so the fake clock alone decides the run.
        QTRY_VERIFY(voiceMissing || heard.delivered == 4);
        // Speech a child can hear, not silence.
        QVERIFY(voiceMissing || heard.loud * 20 > heard.all);
        QTest::qWait(voiceMissing ? 300 : 10);
        for (; clock.now < 30000; clock.now += 10)
            agent.performer().tick();
        QCOMPARE(stage.log, QStringList({"shown", "play Greet", "idle", "balloon 3", "balloon 3 per",
                                         "balloon 3 per sette", "play congratulate", "idle", "balloon Niccolò",
                                         "balloon Niccolò sei", "balloon Niccolò sei grande", "play domagic1", "idle"}));
        // Seen word by word; then the balloon goes and the mouth rests.
        QVERIFY(!stage.allAtOnce && stage.balloon.isEmpty());
        QVERIFY(stage.mouths.size() >= 3 && stage.mouth == MouthShape::Rest);
    }
};

QTEST_MAIN(TestMerlin)
#include "tst_merlin.moc"
