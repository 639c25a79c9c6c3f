// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeclock.h"

#include "speech/merlinagent.h"
#include "speech/performer.h"
#include "speech/stage.h"

#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <stdexcept>
#include <utility>

namespace {

// Each word is 200 ms of audio in a piece of its own, with a word event and
// an open mouth at its start; can pretend the voice data is missing.
struct FakeSynthesizer final : Synthesizer {
    FakeSynthesizer(std::atomic<int> &finished, bool missing) : finished(finished), missing(missing) {}
    bool initialize(QString &) override { return !missing; }
    int sampleRate() const override { return 8000; }
    void synthesize(const QString &text, const ChunkSink &sink) override
    {
        static const QRegularExpression word(QStringLiteral("\\S+"));
        qint64 at = 0;
        for (auto it = word.globalMatch(text); it.hasNext(); at += 200) {
            const auto match = it.next();
            sink({QByteArray(200 * 8 * 2, char(0x20)),
                  {{SpeechEvent::Kind::Word, at, int(match.capturedStart()), int(match.capturedLength())},
                   {SpeechEvent::Kind::Mouth, at, 0, 0, MouthShape::Open}}});
        }
        sink({{}, {}, true});
        ++finished;
    }
    std::atomic<int> &finished;
    bool missing;
};

// Writes down, with the clock's time, each change a viewer would notice.
struct RecordingStage final : Stage {
    explicit RecordingStage(const Clock &clock) : clock(clock) {}
    void setOpacity(qreal value) override { note(0, value >= 1 ? "shown" : "fading"); }
    void setTopLeft(QPoint) override {}
    void setCharacterHeight(int pixels) override { note(1, "height " + QString::number(pixels)); }
    void setAnimation(const QString &name, qreal) override { note(2, name.isEmpty() ? "idle" : "play " + name); }
    void setMouth(MouthShape shape) override { mouthChanges += shape != std::exchange(mouth, shape); }
    void setBalloon(const QString &text) override { note(3, text.isEmpty() ? "no balloon" : "balloon " + text); }
    void note(int knob, const QString &what)
    {
        if (what != std::exchange(last[knob], what))
            log << QString::number(clock.nowMs()) + ' ' + what;
    }
    const Clock &clock;
    QString last[4];
    QStringList log;
    MouthShape mouth = MouthShape::Rest;
    int mouthChanges = 0;
};

} // namespace

using Occasions = std::function<void(Character &)>;
Q_DECLARE_METATYPE(Occasions)

class TestMerlinAgent : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Start 1000; fade 250; first MoveTo jumps; Greet 2000, congratulate 2400,
    // domagic 2600 ms; 200 ms a word; the balloon lingers 1500 ms.
    void timeline_data()
    {
        QTest::addColumn<bool>("voiceMissing");
        QTest::addColumn<Occasions>("occasions");
        QTest::addColumn<QStringList>("expected");

        // The praise is issued while the question still plays: it waits its turn.
        QTest::newRow("praise queued behind question") << false << Occasions([](Character &merlin) {
            merlin.Show();
            merlin.MoveTo(250, 175);
            merlin.Play(QStringLiteral("Greet"));
            merlin.Height(205);
            merlin.Speak(QStringLiteral("3"));
            merlin.Speak(QStringLiteral("per"));
            merlin.Speak(QStringLiteral("sette"));
            merlin.Show();
            merlin.Play(QStringLiteral("CONGRATULATE"));
            merlin.Speak(QStringLiteral("Sei grande"));
        }) << QStringList{"1000 fading", "1250 shown", "1250 play Greet", "3250 idle", "3250 height 205",
                          "3250 balloon 3", "3450 balloon 3 per", "3650 balloon 3 per sette",
                          "3850 play congratulate", "5350 no balloon", "6250 idle", "6250 balloon Sei",
                          "6450 balloon Sei grande", "8150 no balloon"};

        // A move once shown glides (300 px in 300 ms). Failing calls add
        // nothing; what came before and after them still plays.
        QTest::newRow("glide, speak, bad calls") << false << Occasions([](Character &merlin) {
            merlin.Show();
            merlin.MoveTo(250, 175);
            merlin.MoveTo(550, 175);
            merlin.Height(2000);
            merlin.Speak(QStringLiteral("Esatto"));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Play(QStringLiteral("ballare")));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Height(0));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Height(2001));
            merlin.Play(QStringLiteral("doMagic1"));
        }) << QStringList{"1000 fading", "1250 shown", "1550 height 2000", "1550 balloon Esatto",
                          "1750 play domagic1", "3250 no balloon", "4350 idle"};

        // Silent at the estimated pace: "Esatto" 420 ms, "Marco" 350 ms,
        // 90 ms after each word and 150 ms at the end.
        QTest::newRow("voice missing") << true << Occasions([](Character &merlin) {
            merlin.Show();
            merlin.Speak(QStringLiteral("Esatto Marco"));
            merlin.Play(QStringLiteral("domagic2"));
        }) << QStringList{"1000 fading", "1250 shown", "1250 balloon Esatto", "1760 balloon Esatto Marco",
                          "2350 play domagic2", "3850 no balloon", "4950 idle"};
    }
    void timeline()
    {
        QFETCH(bool, voiceMissing);
        QFETCH(Occasions, occasions);
        QFETCH(QStringList, expected);
        FakeClock clock;
        RecordingStage stage(clock);
        std::atomic<int> finished = 0;
        int requested = 0;
        MerlinAgent agent({std::make_unique<FakeSynthesizer>(finished, voiceMissing), &clock, &stage, false});
        connect(&agent.performer(), &Performer::synthesisRequested, [&] { ++requested; });
        // Only Merlin, and only once loaded; a missing voice is reported once.
        CharacterCollection &characters = agent.Characters();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, characters.Character(QStringLiteral("Merlin")));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, characters.Load(QStringLiteral("Genie"), {}));
        if (voiceMissing)
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, characters.Load(QStringLiteral("Merlin"), {}));
        characters.Load(QStringLiteral("Merlin"), QStringLiteral("C:\\Merlin.chr"));
        occasions(characters.Character(QStringLiteral("Merlin")));

        // The voice delivers everything first, so the fake clock alone decides the run.
        QTRY_VERIFY(voiceMissing || finished >= requested);
        QTest::qWait(voiceMissing ? 300 : 10);
        for (; clock.now < 13000; clock.now += 10)
            agent.performer().tick();
        QCOMPARE(stage.log, expected);
        QVERIFY(stage.mouthChanges >= 2);
        QCOMPARE(stage.mouth, MouthShape::Rest);
    }
};

QTEST_MAIN(TestMerlinAgent)
#include "tst_merlinagent.moc"
