// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long the window's hot paths take: painting the gradient at 1×
// and 2×, a new question end to end, and Enter to the verdict on screen.
// Run it under the platform you want to measure (offscreen, xcb), at
// QT_SCALE_FACTOR=1 and 2.
#include "app/surface.h"
#include "app/tavola.h"
#include "drill/clockrandom.h"
#include "memoryrecordstore.h"
#include "recordingdialogs.h"
#include "speech/agent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A character that does nothing, so the figures are the window's own.
class QuietAgent final : public AgentControl, CharacterCollection, Character {
public:
    CharacterCollection &Characters() override { return *this; }
    void Load(const QString &, const QString &) override {}
    ::Character &Character(const QString &) override { return *this; }
    void Show() override {}
    void MoveTo(int, int) override {}
    void Play(const QString &) override {}
    void Height(int) override {}
    void Speak(const QString &) override {}
};

struct Figures {
    double median;
    double worst;
};

template <typename S, typename F>
Figures measure(int runs, S &&setup, F &&body)
{
    std::vector<double> ms;
    ms.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

template <typename F>
Figures measure(int runs, F &&body)
{
    return measure(runs, [] {}, body);
}

void print(const char *what, Figures f, double goal)
{
    std::printf("%-44s median %7.3f ms  worst %7.3f ms  (goal < %g ms)\n", what, f.median, f.worst, goal);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QuietAgent agent;
    MemoryRecordStore records;
    RecordingDialogs dialogs;
    ClockRandom random;
    Tavola tavola({agent, records, dialogs, random, [] {}});
    tavola.show();
    QTest::qWait(50);

    // The scale is the screen's: run once more with QT_SCALE_FACTOR=2.
    std::printf("device-pixel ratio %.1f\n", tavola.devicePixelRatioF());
    print("gradient requested (drawn at the repaint)", measure(300, [&] { tavola.surface()->paintGradient(60, 100); }), 2);
    print("gradient paint + window repaint", measure(300, [&] {
              tavola.surface()->paintGradient(60, 100);
              tavola.repaint();
          }),
          2);

    print("cmdNext_Click end to end (quiet character)", measure(300, [&] {
              tavola.cmdNext_Click();
              tavola.repaint();
          }),
          5);

    auto *answer = tavola.findChild<QLineEdit *>(QStringLiteral("Text3"));
    print("Enter to verdict shown (handler + repaint)", measure(300, [&] {
              tavola.cmdNext_Click();
              answer->setText(QStringLiteral("21"));
              QCoreApplication::processEvents();
          }, [&] {
              QTest::keyClick(answer, Qt::Key_Return);
              tavola.repaint();
          }),
          16);
    return 0;
}
