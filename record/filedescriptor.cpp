// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/filedescriptor.h"

#include <algorithm>
#include <cerrno>
#include <utility>

FileDescriptor::FileDescriptor(FileDescriptor &&other) noexcept
    : m_fs(other.m_fs), m_fd(std::exchange(other.m_fd, -1))
{
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        close();
        m_fs = other.m_fs;
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    close();
}

int FileDescriptor::open(const QByteArray &path, int flags, int mode)
{
    close();
    do {
        m_fd = m_fs->open(path.constData(), flags | O_CLOEXEC, mode);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd < 0 ? errno : 0;
}

int FileDescriptor::writeAll(const QByteArray &data) const
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = m_fs->write(m_fd, p, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        p += written;
        left -= written;
    }
    return 0;
}

int FileDescriptor::readUpTo(qsizetype limit, QByteArray &data) const
{
    data.clear();
    constexpr qsizetype kChunk = 4096;
    while (data.size() < limit) {
        const qsizetype want = std::min(kChunk, limit - data.size());
        const qsizetype at = data.size();
        data.resize(at + want);
        const ssize_t got = m_fs->read(m_fd, data.data() + at, static_cast<size_t>(want));
        if (got < 0) {
            data.resize(at);
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.resize(at + got);
        if (got == 0)
            break;
    }
    return 0;
}

int FileDescriptor::sync() const
{
    return m_fs->fsync(m_fd) < 0 ? errno : 0;
}

int FileDescriptor::close()
{
    if (m_fd < 0)
        return 0;
    // Linux releases the descriptor even when close is interrupted, and the
    // data that matters has been synced before; EINTR is therefore no failure.
    const int result = m_fs->close(std::exchange(m_fd, -1));
    return result < 0 && errno != EINTR ? errno : 0;
}
