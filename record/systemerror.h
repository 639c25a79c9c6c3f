// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The cause behind an errno value in plain Italian, for a teacher reading
// why the record could not be stored.
QString systemErrorText(int error);
