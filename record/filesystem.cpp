// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/filesystem.h"

const FileSystem &FileSystem::real()
{
    static const FileSystem calls;
    return calls;
}
