#pragma once

// Memory and file helpers of the dictionary build: owned blocks and
// descriptors, the temporary file that becomes the dictionary, and
// buffered output. Failures are return values, never exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace brenvik {

template <typename T>
struct Buffer {
    T *data = nullptr;
    Buffer() = default;
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;
    ~Buffer() { std::free(data); }
    bool allocate(size_t n)
    {
        std::free(data);
        data = static_cast<T *>(std::malloc(n ? n * sizeof(T) : 1));
        return data != nullptr;
    }
};

// Random bits for names and hash seeds; the clock stands in when the system has none to give.
uint64_t randomBits(uint64_t salt);

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Writes all n bytes, however the system splits them.
bool writeFully(int fd, const void *data, uint64_t n);

// Removes the named temporary files in folder whose build is no longer running.
void removeStaleTemporaries(const char *folder);

// A temporary file in the target's folder, unique to this build: unnamed
// where the file system allows (nothing is left if the build is killed),
// otherwise named after the build's process so that a later build can tell
// a left-over one and remove it.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    ~TempFile() { discard(); }
    bool create(const char *target);
    int fd() const { return m_fd; }
    // Flushes, closes and renames over the target; false leaves nothing behind.
    bool commit(const char *target);
    void discard();

private:
    bool namedPath(const char *target, size_t salt);

    Buffer<char> m_path;
    int m_fd = -1;
    bool m_anonymous = false;
    bool m_committed = false;
};

// Output buffered in large blocks; long lines go straight through.
class Writer {
public:
    explicit Writer(int fd) : m_fd(fd) {}
    bool init() { return m_buffer.allocate(kSize); }
    bool put(const void *p, uint64_t n)
    {
        if (kSize - m_used < n && !flush())
            return false;
        if (n >= kSize)
            return writeFully(m_fd, p, n);
        std::memcpy(m_buffer.data + m_used, p, n);
        m_used += n;
        return true;
    }
    bool flush()
    {
        const bool ok = writeFully(m_fd, m_buffer.data, m_used);
        m_used = 0;
        return ok;
    }

private:
    static constexpr uint64_t kSize = 1u << 20;
    int m_fd;
    Buffer<uint8_t> m_buffer;
    uint64_t m_used = 0;
};

} // namespace brenvik
