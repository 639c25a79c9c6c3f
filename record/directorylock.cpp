// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/directorylock.h"

#include <QFile>

#include <cerrno>
#include <thread>

DirectoryLock::DirectoryLock(QString lockPath, const FileSystem &fs)
    : m_path(std::move(lockPath)), m_fs(fs), m_file(fs)
{
}

int DirectoryLock::acquire(std::chrono::milliseconds patience)
{
    if (m_held)
        return 0;
    if (!m_file.isValid()) {
        if (const int error = m_file.open(QFile::encodeName(m_path), O_RDWR | O_CREAT | O_NOFOLLOW, 0644))
            return error;
    }
    // Polling rather than a blocking flock keeps a stuck holder from freezing
    // the window for ever.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (m_fs.flock(m_file.get(), LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return 0;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if (std::chrono::steady_clock::now() >= deadline)
            return EWOULDBLOCK;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
