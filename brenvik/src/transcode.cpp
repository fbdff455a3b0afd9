#include "transcode.h"

#include "brenvik.h"
#include "files.h"

#include <cerrno>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace brenvik {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr int kUnmapped = -1;

// Unicode of the Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
// 0x98 stands for U+0098, so that every byte has a character.
constexpr uint16_t kUpper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// The Windows-1251 byte of a character, or kUnmapped.
int byteOf(uint32_t c)
{
    if (c < 0x80)
        return int(c);
    if (c >= 0x0410 && c <= 0x044F)
        return int(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kUpper[i] == c)
            return 0x80 + i;
    }
    return kUnmapped;
}

// Output into a memory file; a word found bad is taken back by moving the
// write position to where it began.
class Output
{
public:
    explicit Output(int fd) : m_fd(fd) {}
    bool init() { return m_buffer.allocate(kSize); }
    bool put(uint8_t b)
    {
        if (m_used == kSize && !flush())
            return false;
        m_buffer.data[m_used++] = b;
        return true;
    }
    uint64_t position() const { return m_base + m_used; }
    void rewind(uint64_t to)
    {
        if (to >= m_base) {
            m_used = to - m_base;
        } else {
            m_base = to;
            m_used = 0;
        }
    }
    bool flush()
    {
        uint64_t done = 0;
        while (done < m_used) {
            const ssize_t w = ::pwrite(m_fd, m_buffer.data + done, m_used - done, off_t(m_base + done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += uint64_t(w);
        }
        m_base += m_used;
        m_used = 0;
        return true;
    }

private:
    static constexpr uint64_t kSize = 1u << 20;
    int m_fd;
    Buffer<uint8_t> m_buffer;
    uint64_t m_base = 0, m_used = 0;
};

enum class Form { Utf8, Utf16LE, Utf16BE };

// Reads the source in blocks and hands out code points. A malformed
// sequence is kNone with `malformed` set.
class Decoder
{
public:
    Decoder(int fd, uint64_t size, uint64_t start, Form form) : m_fd(fd), m_size(size), m_at(start), m_form(form) {}
    bool init() { return m_buffer.allocate(kSize + 8); }
    bool failed = false;
    bool malformed = false;
    uint64_t consumed() const { return m_at - (m_end - m_pos); }

    // The next code point; false at the end.
    bool next(uint32_t &c)
    {
        if (!ensure(1))
            return false;
        if (m_form == Form::Utf8)
            return nextUtf8(c);
        if (!ensure(2)) {
            malformed = true; // an odd byte at the end
            c = kNone;
            ++m_pos;
            return true;
        }
        uint32_t u = unit();
        if (u >= 0xD800 && u <= 0xDBFF && ensure(4)) {
            const uint32_t low = unitAt(2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                m_pos += 4;
                c = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                return true;
            }
        }
        m_pos += 2;
        c = u; // a lone surrogate is a character Windows-1251 lacks
        return true;
    }

private:
    uint32_t unitAt(uint64_t k) const
    {
        const uint8_t *p = m_buffer.data + m_pos + k;
        return m_form == Form::Utf16LE ? uint32_t(p[0] | (p[1] << 8)) : uint32_t((p[0] << 8) | p[1]);
    }
    uint32_t unit() const { return unitAt(0); }

    bool nextUtf8(uint32_t &c)
    {
        const uint8_t b = m_buffer.data[m_pos];
        if (b < 0x80) {
            ++m_pos;
            c = b;
            return true;
        }
        int extra = 0;
        uint32_t min = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
            min = 0x10000;
        } else {
            ++m_pos;
            malformed = true;
            c = kNone;
            return true;
        }
        if (!ensure(uint64_t(extra) + 1)) {
            ++m_pos;
            malformed = true;
            c = kNone;
            return true;
        }
        for (int k = 1; k <= extra; ++k) {
            const uint8_t t = m_buffer.data[m_pos + uint64_t(k)];
            if ((t & 0xC0) != 0x80) {
                ++m_pos;
                malformed = true;
                c = kNone;
                return true;
            }
            c = (c << 6) | (t & 0x3F);
        }
        m_pos += uint64_t(extra) + 1;
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            malformed = true;
            c = kNone;
        }
        return true;
    }

    // At least n bytes ahead in the buffer, unless the file ends first.
    bool ensure(uint64_t n)
    {
        if (m_end - m_pos >= n)
            return true;
        const uint64_t left = m_end - m_pos;
        std::memmove(m_buffer.data, m_buffer.data + m_pos, left);
        m_pos = 0;
        m_end = left;
        while (m_end < kSize && m_at < m_size) {
            const ssize_t r = ::pread(m_fd, m_buffer.data + m_end, kSize - m_end, off_t(m_at));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0) {
                failed = true;
                return false;
            }
            if (r == 0)
                break;
            m_end += uint64_t(r);
            m_at += uint64_t(r);
        }
        return m_end - m_pos >= n;
    }

    static constexpr uint64_t kSize = 1u << 20;
    int m_fd;
    uint64_t m_size, m_at;
    Form m_form;
    Buffer<uint8_t> m_buffer;
    uint64_t m_pos = 0, m_end = 0;
};

bool hasHighBytes(int fd, uint64_t size)
{
    uint8_t block[65536];
    for (uint64_t at = 0; at < size;) {
        const ssize_t r = ::pread(fd, block, sizeof block, off_t(at));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        for (ssize_t k = 0; k < r; ++k) {
            if (block[k] >= 0x80)
                return true;
        }
        at += uint64_t(r);
    }
    return false;
}

} // namespace

int32_t transcode(int source, uint64_t size, SourceEncoding encoding, const uint8_t delimiter[256], Transcoded &out,
                  void (*progress)(void *context, int percent), void *context)
{
    uint8_t head[3] = {};
    ssize_t got = 0;
    do {
        got = ::pread(source, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return BRENVIK_READ_FAILED;
    const bool utf8Bom = got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
    const bool le = got >= 2 && head[0] == 0xFF && head[1] == 0xFE;
    const bool be = got >= 2 && head[0] == 0xFE && head[1] == 0xFF;

    Form form = Form::Utf8;
    bool guessed = false; // no mark and no word from the caller: any malformed byte means 8-bit
    switch (encoding) {
    case SourceEncoding::Windows1251:
        return BRENVIK_OK;
    case SourceEncoding::Utf8:
        break;
    case SourceEncoding::Utf16LE:
        form = Form::Utf16LE;
        break;
    case SourceEncoding::Utf16BE:
        form = Form::Utf16BE;
        break;
    case SourceEncoding::Auto:
        if (le)
            form = Form::Utf16LE;
        else if (be)
            form = Form::Utf16BE;
        else if (!utf8Bom) {
            if (!hasHighBytes(source, size))
                return BRENVIK_OK; // ASCII reads the same either way
            guessed = true;
        }
        break;
    }
    const uint64_t start = form == Form::Utf8
        ? (utf8Bom ? 3 : 0)
        : ((le && form == Form::Utf16LE) || (be && form == Form::Utf16BE) ? 2 : 0);

    Fd memory(::memfd_create("brenvik-source", MFD_CLOEXEC));
    if (memory.get() < 0)
        return BRENVIK_OUT_OF_MEMORY;
    Decoder in(source, size, start, form);
    Output text(memory.get());
    if (!in.init() || !text.init())
        return BRENVIK_OUT_OF_MEMORY;

    uint64_t wordStart = 0, skipped = 0;
    bool bad = false;
    int reported = -1;
    uint32_t c = 0;
    while (in.next(c)) {
        if (in.malformed) {
            if (guessed)
                return BRENVIK_OK; // not UTF-8 after all: read the source as it is
            in.malformed = false;
        }
        const int b = c == kNone ? kUnmapped : byteOf(c);
        if (b != kUnmapped && delimiter[b]) {
            if (bad) {
                text.rewind(wordStart);
                ++skipped;
                bad = false;
            }
            if (!text.put(uint8_t(b)))
                return BRENVIK_OUT_OF_MEMORY;
            wordStart = text.position();
            const int percent = int(in.consumed() * 100 / (size ? size : 1));
            if (progress && percent != reported) {
                reported = percent;
                progress(context, percent);
            }
            continue;
        }
        if (b == kUnmapped)
            bad = true;
        else if (!bad && !text.put(uint8_t(b)))
            return BRENVIK_OUT_OF_MEMORY;
    }
    if (in.failed)
        return BRENVIK_READ_FAILED;
    if (bad) {
        text.rewind(wordStart);
        ++skipped;
    }
    if (!text.flush() || ::ftruncate(memory.get(), off_t(text.position())) != 0)
        return BRENVIK_OUT_OF_MEMORY;
    out.size = text.position();
    out.skipped = skipped;
    out.fd = memory.get();
    memory.release();
    return BRENVIK_OK;
}

} // namespace brenvik
