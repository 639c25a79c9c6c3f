// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/drillcontrols.h"
#include "drill/int16.h"

#include <QString>

#include <functional>

class AgentControl;
class Character;
class RandomSource;

// The times-table drill: asking a question, the key press in the answer
// box and the answer check, each working on the plain controls it owns.
// A handler that fails (a counter past 32767, a score caption that is not
// a number) throws and leaves its earlier steps done.
class Drill {
public:
    // Called with the handler and the reason when Merlin fails; the drill
    // goes on without that part of him.
    using FaultReport = std::function<void(const char *handler, const QString &what)>;

    Drill(AgentControl &agent, RandomSource &random, FaultReport reportFault);

    DrillControls &controls() { return m_controls; }

    void cmdNext_Click();
    // Every typed character, control characters included; 13 runs the check.
    void Text3_KeyPress(char16_t charCode);
    void Command3_Click();

    // Both answer counters back to 0, as start-up does.
    void resetAnswers();
    // Merlin could not be brought up: his part of every handler is skipped.
    void goOnWithoutMerlin() { m_merlinMissing = true; }

private:
    void withMerlin(const char *handler, const std::function<void(Character &)> &steps);
    Int16 drawOneToTen();

    AgentControl &m_agent;
    RandomSource &m_random;
    FaultReport m_reportFault;
    DrillControls m_controls;
    Int16 m_firstFactor;
    Int16 m_secondFactor;
    Int16 m_backgroundShade;
    Int16 m_rightAnswers;
    Int16 m_wrongAnswers;
    bool m_merlinMissing = false;
};
