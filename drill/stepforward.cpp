// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/stepforward.h"

#include "speech/agent.h"

void stepForward(Character &merlin, const QString &animation)
{
    merlin.Show();
    merlin.MoveTo(kMerlinLeft, kMerlinTop);
    if (!animation.isEmpty())
        merlin.Play(animation);
    merlin.Height(kMerlinHeight);
}
