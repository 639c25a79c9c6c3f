// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/filedescriptor.h"

#include <QString>

#include <chrono>

// An exclusive advisory lock on a lock file, shared by every program of the
// same account. The kernel drops it when its holder dies, so a killed
// program never leaves the record store locked.
class DirectoryLock {
public:
    // Opens (creating if needed) `lockPath`; does not lock yet.
    explicit DirectoryLock(QString lockPath, const FileSystem &fs = FileSystem::real());

    // Waits up to `patience` for the lock. 0 on success, otherwise the errno
    // value (EWOULDBLOCK when another program kept it for the whole wait).
    int acquire(std::chrono::milliseconds patience);

private:
    QString m_path;
    const FileSystem &m_fs;
    FileDescriptor m_file;
    bool m_held = false;
};
