#include "fakeclock.h"
#include "fakesynthesizer.h"
#include "recordingstage.h"

#include "speech/merlinagent.h"
#include "speech/performer.h"
#include "speech/silentsynthesizer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// One Merlin on a fake clock, a fake voice and a recording stage.
struct Rig {
    explicit Rig(bool voiceMissing = false)
        : stage(clock)
    {
        MerlinAgent::Parts parts;
        parts.synthesizer = std::make_unique<FakeSynthesizer>(finished, voiceMissing);
        parts.clock = &clock;
        parts.stage = &stage;
        parts.useAudioDevices = false;
        agent = std::make_unique<MerlinAgent>(std::move(parts));
        QObject::connect(&agent->performer(), &Performer::synthesisRequested, [this] { ++requested; });
        QObject::connect(&agent->performer(), &Performer::requestFinished,
                         [this](int, const QString &detail) { finishedRequests << detail; });
    }

    Character &merlin() { return agent->Characters().Character(QStringLiteral("Merlin")); }
    void load() { agent->Characters().Load(QStringLiteral("Merlin"), QStringLiteral("C:\\WINDOWS\\speech\\chars\\Merlin.chr")); }

    // Lets the voice deliver everything asked so far, so the run below is
    // decided by the fake clock alone.
    bool settle()
    {
        QElapsedTimer waited;
        waited.start();
        while (finished.load() < requested && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        return finished.load() >= requested;
    }

    void run(qint64 ms)
    {
        QVERIFY(settle());
        for (qint64 t = 0; t < ms; t += 10) {
            clock.advance(10);
            agent->performer().tick();
        }
    }

    FakeClock clock;
    std::atomic<int> finished{0};
    int requested = 0;
    RecordingStage stage;
    std::unique_ptr<MerlinAgent> agent;
    QStringList finishedRequests;
};

void question(Character &merlin, const QString &factor)
{
    merlin.Show();
    merlin.MoveTo(250, 175);
    merlin.Play(QStringLiteral("Greet"));
    merlin.Height(205);
    merlin.Speak(QStringLiteral("3"));
    merlin.Speak(QStringLiteral("per"));
    merlin.Speak(factor);
}

} // namespace

using Occasions = std::function<void(Rig &)>;
Q_DECLARE_METATYPE(Occasions)

class TestMerlinAgent : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timeline_data();
    void timeline();
    void balloonFollowsWordEvents();
    void missingVoiceIsReportedOnceThenSilent();
    void callErrors_data();
    void callErrors();
    void callsReturnWhileVoiceIsBusy();
    void destructionWithSpeechPendingIsPrompt();
};

void TestMerlinAgent::timeline_data()
{
    QTest::addColumn<Occasions>("occasions");
    QTest::addColumn<QStringList>("expected");

    // Start 1000; fade 250; first MoveTo jumps; Greet 2000; 200 ms a word.
    QTest::newRow("one question") << Occasions([](Rig &r) { question(r.merlin(), QStringLiteral("sette")); })
                                  << QStringList{"1010 appear",          "1250 shown",
                                                 "1250 play Greet",      "3250 end Greet",
                                                 "3250 height 205",      "3250 balloon 3",
                                                 "3450 balloon 3 per",   "3650 balloon 3 per sette",
                                                 "5350 balloon off"};

    // The praise is issued while the question still plays: it waits its turn.
    QTest::newRow("praise queued behind question")
        << Occasions([](Rig &r) {
               question(r.merlin(), QStringLiteral("sette"));
               Character &merlin = r.merlin();
               merlin.Show();
               merlin.MoveTo(250, 175);
               merlin.Play(QStringLiteral("congratulate"));
               merlin.Speak(QStringLiteral("Sei grande"));
           })
        << QStringList{"1010 appear",        "1250 shown",           "1250 play Greet",
                       "3250 end Greet",     "3250 height 205",      "3250 balloon 3",
                       "3450 balloon 3 per", "3650 balloon 3 per sette", "3850 play congratulate",
                       "5350 balloon off",   "6250 end congratulate", "6250 balloon Sei",
                       "6450 balloon Sei grande", "8150 balloon off"};

    // A failing call adds nothing; what came before and after still plays.
    QTest::newRow("unknown animation in between")
        << Occasions([](Rig &r) {
               Character &merlin = r.merlin();
               merlin.Show();
               merlin.Speak(QStringLiteral("Esatto"));
               QVERIFY_THROWS_EXCEPTION(std::invalid_argument, merlin.Play(QStringLiteral("ballare")));
               merlin.Play(QStringLiteral("domagic1"));
           })
        << QStringList{"1010 appear", "1250 shown", "1250 balloon Esatto", "1450 play domagic1",
                       "2950 balloon off", "4050 end domagic1"};

    // A move once shown glides instead of jumping.
    QTest::newRow("glide then speak")
        << Occasions([](Rig &r) {
               Character &merlin = r.merlin();
               merlin.Show();
               merlin.MoveTo(250, 175);
               merlin.MoveTo(550, 175);
               merlin.Speak(QStringLiteral("Giusto"));
           })
        << QStringList{"1010 appear", "1250 shown", "1550 balloon Giusto", "3250 balloon off"};
}

void TestMerlinAgent::timeline()
{
    QFETCH(Occasions, occasions);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.load();
    occasions(rig);
    rig.run(12000);
    QCOMPARE(rig.stage.log, expected);
    QVERIFY(rig.agent->performer().idle());
}

void TestMerlinAgent::balloonFollowsWordEvents()
{
    Rig rig;
    rig.load();
    Character &merlin = rig.merlin();
    merlin.Show();
    rig.run(300);
    const qint64 start = rig.clock.nowMs();
    const int mouthBefore = rig.stage.mouthChanges;
    merlin.Speak(QStringLiteral("Sei sulla buona strada per diventare cavaliere"));
    QVERIFY(rig.settle());

    const QStringList words = QStringLiteral("Sei sulla buona strada per diventare cavaliere").split(' ');
    rig.agent->performer().tick();
    QCOMPARE(rig.stage.mouth, MouthShape::Open);
    QCOMPARE(rig.stage.balloon, words.first());
    for (int i = 1; i < words.size(); ++i) {
        // Just before the word's moment the balloon still shows one word fewer.
        rig.run(FakeSynthesizer::kWordMs - 10);
        QCOMPARE(rig.stage.balloon, words.mid(0, i).join(' '));
        rig.run(10);
        QCOMPARE(rig.clock.nowMs(), start + i * FakeSynthesizer::kWordMs);
        QCOMPARE(rig.stage.balloon, words.mid(0, i + 1).join(' '));
    }
    QVERIFY(rig.stage.mouthChanges > mouthBefore);
    rig.run(FakeSynthesizer::kWordMs);
    QCOMPARE(rig.stage.mouth, MouthShape::Rest);
    QCOMPARE(rig.stage.balloon, words.join(' '));
    rig.run(Performer::kBalloonLingerMs);
    QCOMPARE(rig.stage.balloon, QString());
}

void TestMerlinAgent::missingVoiceIsReportedOnceThenSilent()
{
    Rig rig(true);
    rig.load();
    try {
        rig.merlin();
        QFAIL("the missing voice was not reported");
    } catch (const std::runtime_error &error) {
        QVERIFY(QString::fromStdString(error.what()).contains(QStringLiteral("voce")));
    }
    Character &merlin = rig.merlin();
    merlin.Show();
    merlin.Speak(QStringLiteral("Esatto Marco"));
    merlin.Play(QStringLiteral("domagic2"));
    // The silent voice runs on the worker without the fake's counter.
    rig.requested = 0;
    QTest::qWait(100);
    rig.run(5000);

    const qint64 second = 1250 + SilentSynthesizer::wordMs(QStringLiteral("Esatto")) + SilentSynthesizer::kGapMs;
    const qint64 end = second + SilentSynthesizer::wordMs(QStringLiteral("Marco")) + SilentSynthesizer::kGapMs
        + SilentSynthesizer::kTrailMs;
    const QStringList expected{"1010 appear",
                               "1250 shown",
                               "1250 balloon Esatto",
                               QStringLiteral("%1 balloon Esatto Marco").arg(second),
                               QStringLiteral("%1 play domagic2").arg(end),
                               QStringLiteral("%1 balloon off").arg(end + Performer::kBalloonLingerMs),
                               QStringLiteral("%1 end domagic2").arg(end + 2600)};
    // Ticks fall on 10 ms steps; the estimates are rounded up to them.
    QStringList rounded;
    for (const QString &line : expected) {
        const qint64 at = line.section(' ', 0, 0).toLongLong();
        rounded << QStringLiteral("%1 %2").arg((at + 9) / 10 * 10).arg(line.section(' ', 1));
    }
    QCOMPARE(rig.stage.log, rounded);
    QVERIFY(rig.stage.mouthChanges > 0);
}

void TestMerlinAgent::callErrors_data()
{
    using Call = std::function<void(CharacterCollection &)>;
    QTest::addColumn<Call>("call");
    QTest::addColumn<bool>("invalidArgument");

    QTest::newRow("character before load") << Call([](CharacterCollection &c) { c.Character("Merlin"); }) << false;
    QTest::newRow("load of another character")
        << Call([](CharacterCollection &c) { c.Load("Genie", "C:\\genie.chr"); }) << false;
    QTest::newRow("character never loaded") << Call([](CharacterCollection &c) {
        c.Load("Merlin", "");
        c.Character("Genie");
    }) << false;
    QTest::newRow("unknown animation") << Call([](CharacterCollection &c) {
        c.Load("Merlin", "");
        c.Character("Merlin").Play("dance");
    }) << true;
    QTest::newRow("empty animation name") << Call([](CharacterCollection &c) {
        c.Load("Merlin", "");
        c.Character("Merlin").Play("");
    }) << true;
    QTest::newRow("zero height") << Call([](CharacterCollection &c) {
        c.Load("Merlin", "");
        c.Character("Merlin").Height(0);
    }) << true;
}

void TestMerlinAgent::callErrors()
{
    using Call = std::function<void(CharacterCollection &)>;
    QFETCH(Call, call);
    QFETCH(bool, invalidArgument);
    Rig rig;
    if (invalidArgument)
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, call(rig.agent->Characters()));
    else
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, call(rig.agent->Characters()));
    rig.run(100);
    QCOMPARE(rig.agent->performer().pending(), 0);
}

void TestMerlinAgent::callsReturnWhileVoiceIsBusy()
{
    Rig rig;
    rig.load();
    Character &merlin = rig.merlin();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 50; ++i) {
        question(merlin, QStringLiteral("diciassettte"));
        merlin.Play(QStringLiteral("ANNOUNCE"));
    }
    QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(rig.agent->performer().pending(), 50 * 8);
}

void TestMerlinAgent::destructionWithSpeechPendingIsPrompt()
{
    auto rig = std::make_unique<Rig>();
    rig->load();
    for (int i = 0; i < 200; ++i)
        rig->merlin().Speak(QStringLiteral("Allora attenzione, iniziamo la nostra avventura"));
    QElapsedTimer timer;
    timer.start();
    rig.reset();
    QVERIFY(timer.elapsed() < 2000);
}

QTEST_MAIN(TestMerlinAgent)
#include "tst_merlinagent.moc"
