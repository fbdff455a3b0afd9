#include "transcode.h"

#include "brenvik.h"
#include "files.h"

#include <cerrno>
#include <cstring>

#include <algorithm>

#include <pthread.h>
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

// Windows-1251 text into a memory file, word by word. A word found to hold
// a character Windows-1251 lacks is taken back at its end by moving the
// write position to where it began, also into text already written.
class WordOutput
{
public:
    WordOutput(int fd, uint64_t start) : m_fd(fd), m_base(start), m_wordStart(start) {}
    bool init()
    {
        if (!m_buffer.allocate(kSize))
            return false;
        m_o = m_buffer.data;
        return true;
    }
    // Room for n more bytes (n at most half the buffer).
    bool reserve(uint64_t n) { return uint64_t(m_o - m_buffer.data) + n <= kSize || flush(); }
    void letter(uint8_t b) { *m_o++ = b; } // kept until the word's end tells whether it stays
    void lacking() { m_bad = true; }
    void delimiter(uint8_t d)
    {
        if (m_bad)
            takeBack();
        *m_o++ = d;
        m_wordStart = position();
    }
    bool finish()
    {
        if (m_bad)
            takeBack();
        return flush();
    }
    uint64_t position() const { return m_base + uint64_t(m_o - m_buffer.data); }
    uint64_t skipped() const { return m_skipped; }
    static constexpr uint64_t kSize = 2u << 20;

private:
    void takeBack()
    {
        ++m_skipped;
        m_bad = false;
        if (m_wordStart >= m_base) {
            m_o = m_buffer.data + (m_wordStart - m_base);
        } else {
            m_base = m_wordStart; // the word began in text already written: write over it
            m_o = m_buffer.data;
        }
    }
    bool flush()
    {
        const uint64_t n = uint64_t(m_o - m_buffer.data);
        for (uint64_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(m_fd, m_buffer.data + done, n - done, off_t(m_base + done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += uint64_t(w);
        }
        m_base += n;
        m_o = m_buffer.data;
        return true;
    }

    int m_fd;
    Buffer<uint8_t> m_buffer;
    uint8_t *m_o = nullptr;
    uint64_t m_base, m_wordStart, m_skipped = 0;
    bool m_bad = false;
};

enum class Form { Utf8, Utf16LE, Utf16BE };

// Reads a UTF-16 source in blocks and hands out code points; an odd last
// byte is kNone with `malformed` set.
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

// The Windows-1251 byte of each code point below U+0800, or -1.
struct SmallTable
{
    int16_t byte[0x800];
    SmallTable()
    {
        for (uint32_t c = 0; c < 0x800; ++c)
            byte[c] = int16_t(byteOf(c));
    }
};

enum class Fast { Done, NotUtf8, ReadFailed, NoMemory };

// UTF-8 of the source range [start, end) in blocks, written from outStart
// on, with the common case (ASCII and two-byte letters) in one tight loop.
Fast transcodeUtf8(int source, uint64_t start, uint64_t end, uint64_t outStart, bool guessed,
                   const uint8_t delimiter[256], int out, uint64_t &written, uint64_t &skipped,
                   void (*progress)(void *, int), void *context)
{
    static const SmallTable table;
    constexpr uint64_t kBlock = WordOutput::kSize / 2;
    Buffer<uint8_t> in;
    WordOutput text(out, outStart);
    if (!in.allocate(kBlock + 8) || !text.init())
        return Fast::NoMemory;
    const auto put = [&](int w) {
        if (w < 0)
            text.lacking();
        else if (delimiter[w])
            text.delimiter(uint8_t(w));
        else
            text.letter(uint8_t(w));
    };
    uint64_t carry = 0, at = start;
    for (;;) {
        uint64_t got = 0;
        while (at < end && carry + got < kBlock) {
            const ssize_t r =
                ::pread(source, in.data + carry + got, std::min(kBlock - carry - got, end - at), off_t(at));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return Fast::ReadFailed;
            if (r == 0)
                break;
            got += uint64_t(r);
            at += uint64_t(r);
        }
        const bool last = at >= end || got == 0;
        const uint8_t *p = in.data, *stop = in.data + carry + got;
        if (!text.reserve(carry + got)) // a block's text is never longer than its bytes
            return Fast::NoMemory;
        while (p < stop) {
            const uint8_t b = *p;
            if (b < 0x80) {
                ++p;
                put(b);
                continue;
            }
            // Russian letters first: D0 or D1 and one byte, straight to their Windows-1251 byte.
            if ((b == 0xD0 || b == 0xD1) && p + 1 < stop && (p[1] & 0xC0) == 0x80) {
                put(table.byte[((b & 0x1Fu) << 6) | (p[1] & 0x3Fu)]);
                p += 2;
                continue;
            }
            const int n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
            if (n && p + n > stop && !last)
                break; // finished in the next block
            uint32_t c = kNone;
            if (n && p + n <= stop && b < 0xF8) {
                c = b & (0x7Fu >> n);
                for (int k = 1; k < n; ++k) {
                    if ((p[k] & 0xC0) != 0x80) {
                        c = kNone;
                        break;
                    }
                    c = (c << 6) | (p[k] & 0x3Fu);
                }
                const uint32_t min = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
                if (c != kNone && (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
                    c = kNone;
            }
            if (c == kNone) {
                if (guessed)
                    return Fast::NotUtf8;
                text.lacking();
                ++p;
                continue;
            }
            p += n;
            put(c < 0x800 ? table.byte[c] : byteOf(c));
        }
        carry = uint64_t(stop - p);
        std::memmove(in.data, p, carry);
        if (progress)
            progress(context, int((at - carry - start) * 100 / (end > start ? end - start : 1)));
        if (last && carry == 0)
            break;
        if (last) {
            // A sequence cut off by the end of the file.
            if (guessed)
                return Fast::NotUtf8;
            text.lacking();
            break;
        }
    }
    if (!text.finish())
        return Fast::NoMemory;
    written = text.position();
    skipped = text.skipped();
    return Fast::Done;
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
    if (form == Form::Utf8) {
        // Two halves at once, split at an ASCII delimiter so that no word or
        // character spans them. The second half writes where the first
        // cannot reach (its input size); the gap between is filled with line
        // feeds, which end words and hold none.
        uint64_t split = size;
        if (size - start >= (4u << 20)) {
            uint8_t probe[4096];
            for (uint64_t at = start + (size - start) / 2; at < size && split == size;) {
                const ssize_t r = ::pread(source, probe, sizeof probe, off_t(at));
                if (r <= 0)
                    break;
                for (ssize_t k = 0; k < r; ++k) {
                    if (probe[k] < 0x80 && delimiter[probe[k]]) {
                        split = at + uint64_t(k);
                        break;
                    }
                }
                at += uint64_t(r);
            }
        }
        struct Half
        {
            int source, out;
            uint64_t start, end, outStart;
            bool guessed;
            const uint8_t *delimiter;
            uint64_t written = 0, skipped = 0;
            Fast result = Fast::Done;
            static void *main(void *self)
            {
                auto *h = static_cast<Half *>(self);
                h->result = transcodeUtf8(h->source, h->start, h->end, h->outStart, h->guessed, h->delimiter, h->out,
                                          h->written, h->skipped, nullptr, nullptr);
                return nullptr;
            }
        };
        Half second{source, memory.get(), split, size, split - start, guessed, delimiter};
        pthread_t thread{};
        const bool threaded = split < size && pthread_create(&thread, nullptr, &Half::main, &second) == 0;
        uint64_t written = 0, skipped = 0;
        Fast result = transcodeUtf8(source, start, threaded ? split : size, 0, guessed, delimiter, memory.get(),
                                    written, skipped, progress, context);
        if (threaded) {
            pthread_join(thread, nullptr);
            if (result == Fast::Done)
                result = second.result;
            if (result == Fast::Done) {
                // Line feeds from the first half's end to where the second began.
                Buffer<uint8_t> feeds;
                const uint64_t gap = second.outStart - written;
                const uint64_t chunk = std::min<uint64_t>(gap, 1u << 20);
                if (gap && !feeds.allocate(chunk))
                    return BRENVIK_OUT_OF_MEMORY;
                if (gap)
                    std::memset(feeds.data, '\n', chunk);
                for (uint64_t at = written; at < second.outStart;) {
                    const ssize_t w =
                        ::pwrite(memory.get(), feeds.data, std::min<uint64_t>(chunk, second.outStart - at), off_t(at));
                    if (w < 0 && errno == EINTR)
                        continue;
                    if (w <= 0)
                        return BRENVIK_OUT_OF_MEMORY;
                    at += uint64_t(w);
                }
                written = second.written;
                skipped += second.skipped;
            }
        }
        switch (result) {
        case Fast::NotUtf8:
            return BRENVIK_OK; // not UTF-8 after all: read the source as it is
        case Fast::ReadFailed:
            return BRENVIK_READ_FAILED;
        case Fast::NoMemory:
            return BRENVIK_OUT_OF_MEMORY;
        case Fast::Done:
            break;
        }
        if (::ftruncate(memory.get(), off_t(written)) != 0)
            return BRENVIK_OUT_OF_MEMORY;
        out.size = written;
        out.skipped = skipped;
        out.fd = memory.release();
        return BRENVIK_OK;
    }

    Decoder in(source, size, start, form);
    WordOutput text(memory.get(), 0);
    if (!in.init() || !text.init())
        return BRENVIK_OUT_OF_MEMORY;
    int reported = -1;
    uint32_t c = 0;
    while (in.next(c)) {
        in.malformed = false; // named UTF-16: a broken unit is a character Windows-1251 lacks
        const int b = c == kNone ? kUnmapped : byteOf(c);
        if (!text.reserve(1))
            return BRENVIK_OUT_OF_MEMORY;
        if (b == kUnmapped) {
            text.lacking();
        } else if (delimiter[b]) {
            text.delimiter(uint8_t(b));
            const int percent = int(in.consumed() * 100 / (size ? size : 1));
            if (progress && percent != reported) {
                reported = percent;
                progress(context, percent);
            }
        } else {
            text.letter(uint8_t(b));
        }
    }
    if (in.failed)
        return BRENVIK_READ_FAILED;
    if (!text.finish() || ::ftruncate(memory.get(), off_t(text.position())) != 0)
        return BRENVIK_OUT_OF_MEMORY;
    out.size = text.position();
    out.skipped = text.skipped();
    out.fd = memory.release();
    return BRENVIK_OK;
}

} // namespace brenvik
