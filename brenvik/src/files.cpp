#include "files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>

namespace brenvik {

uint64_t randomBits(uint64_t salt)
{
    uint64_t r = 0;
    if (getrandom(&r, sizeof r, GRND_NONBLOCK) == ssize_t(sizeof r))
        return r;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_nsec) ^ (uint64_t(ts.tv_sec) << 30) ^ (uint64_t(getpid()) << 20) ^
           salt * 0x9E3779B97F4A7C15ull;
}

bool writeFully(int fd, const void *data, uint64_t n)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (n) {
        const ssize_t w = ::write(fd, p, n > (1u << 30) ? (1u << 30) : n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= uint64_t(w);
    }
    return true;
}

namespace {

// ".brenvik-PID-RANDOM.tmp": the build that owns a named temporary file.
// Names without a process number come from older builds and are never live.
bool staleTemporary(const char *name)
{
    if (std::strncmp(name, ".brenvik-", 9) != 0)
        return false;
    const size_t length = std::strlen(name);
    if (length < 13 || std::strcmp(name + length - 4, ".tmp") != 0)
        return false;
    const char *p = name + 9;
    char *end = nullptr;
    const long pid = std::strtol(p, &end, 10);
    if (end == p || *end != '-')
        return true;
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

void removeStaleTemporaries(const char *folder)
{
    DIR *dir = ::opendir(folder && *folder ? folder : ".");
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (staleTemporary(entry->d_name))
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

bool TempFile::namedPath(const char *target, size_t salt)
{
    const char *slash = std::strrchr(target, '/');
    const size_t dirLength = slash ? size_t(slash - target) + 1 : 0;
    const size_t need = dirLength + 64;
    if (!m_path.allocate(need))
        return false;
    const uint64_t r = randomBits(uint64_t(salt) ^ uint64_t(uintptr_t(this)));
    std::memcpy(m_path.data, target, dirLength);
    std::snprintf(m_path.data + dirLength, need - dirLength, ".brenvik-%ld-%016llx.tmp", long(getpid()),
                  static_cast<unsigned long long>(r));
    return true;
}

bool TempFile::create(const char *target)
{
    const char *slash = std::strrchr(target, '/');
    std::string folder = slash ? std::string(target, size_t(slash - target) + (slash == target)) : ".";
    removeStaleTemporaries(folder.c_str());

    // An unnamed file first: a build that is killed leaves nothing behind.
    const int anonymous = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (anonymous >= 0) {
        m_fd = anonymous;
        m_anonymous = true;
        return true;
    }
    for (int attempt = 0; attempt < 64; ++attempt) {
        if (!namedPath(target, size_t(attempt)))
            return false;
        const int fd = ::open(m_path.data, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool TempFile::commit(const char *target)
{
    const bool synced = ::fsync(m_fd) == 0;
    if (synced && m_anonymous) {
        // Give the unnamed file a name of its own, then move it over the
        // target: a link cannot replace an existing file.
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_fd);
        bool linked = false;
        for (int attempt = 0; attempt < 64 && !linked; ++attempt) {
            if (!namedPath(target, size_t(attempt)))
                break;
            linked = ::linkat(AT_FDCWD, self, AT_FDCWD, m_path.data, AT_SYMLINK_FOLLOW) == 0;
            if (!linked && errno != EEXIST)
                break;
        }
        if (!linked) {
            m_committed = true; // the name, if any, is not ours to remove
            discard();
            return false;
        }
    }
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || ::rename(m_path.data, target) != 0) {
        discard();
        return false;
    }
    m_committed = true;
    return true;
}

void TempFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_path.data && !m_committed) {
        ::unlink(m_path.data);
        m_committed = true;
    }
}

} // namespace brenvik
