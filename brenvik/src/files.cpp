#include "files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
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

bool TempFile::create(const char *target)
{
    const char *slash = std::strrchr(target, '/');
    const size_t dirLength = slash ? size_t(slash - target) + 1 : 0;
    const size_t need = dirLength + 32;
    if (!m_path.allocate(need))
        return false;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const uint64_t r = randomBits(uint64_t(attempt) ^ uint64_t(uintptr_t(this)));
        std::memcpy(m_path.data, target, dirLength);
        std::snprintf(m_path.data + dirLength, need - dirLength, ".brenvik-%016llx.tmp",
                      static_cast<unsigned long long>(r));
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
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || ::rename(m_path.data, target) != 0)
        return false;
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
