// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/filesystem.h"

#include <QByteArray>

// Sole owner of a POSIX file descriptor; closes it on destruction. Every
// operation returns 0 on success or the errno value of the failure.
class FileDescriptor {
public:
    // `fs` makes the calls and must outlive the descriptor.
    explicit FileDescriptor(const FileSystem &fs = FileSystem::real()) : m_fs(&fs) {}
    FileDescriptor(FileDescriptor &&other) noexcept;
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor();

    // open(2) with O_CLOEXEC added; on failure the object stays invalid.
    int open(const QByteArray &path, int flags, int mode = 0);
    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }

    // Writes all of `data`, going on after short writes and EINTR.
    int writeAll(const QByteArray &data) const;
    // Reads until end of file or `limit` bytes, whichever comes first.
    int readUpTo(qsizetype limit, QByteArray &data) const;
    int sync() const;
    // Closes now, so a failing close (lost delayed write) is seen.
    int close();

private:
    const FileSystem *m_fs;
    int m_fd = -1;
};
