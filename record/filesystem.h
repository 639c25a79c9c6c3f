// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The system calls the record store makes, each with the POSIX contract
// (-1 and errno on failure), so a test can make any one of them fail as a
// failing disk would. The base class makes the real calls.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int open(const char *path, int flags, mode_t mode) const { return ::open(path, flags, mode); }
    virtual ssize_t read(int fd, void *buffer, size_t size) const { return ::read(fd, buffer, size); }
    virtual ssize_t write(int fd, const void *buffer, size_t size) const { return ::write(fd, buffer, size); }
    virtual int fsync(int fd) const { return ::fsync(fd); }
    virtual int close(int fd) const { return ::close(fd); }
    virtual int fstat(int fd, struct stat *info) const { return ::fstat(fd, info); }
    virtual int stat(const char *path, struct stat *info) const { return ::stat(path, info); }
    virtual int lstat(const char *path, struct stat *info) const { return ::lstat(path, info); }
    virtual int rename(const char *from, const char *to) const { return ::rename(from, to); }
    virtual int unlink(const char *path) const { return ::unlink(path); }
    virtual int flock(int fd, int operation) const { return ::flock(fd, operation); }

    // The real calls, shared by every store that is handed no other.
    static const FileSystem &real();
};
