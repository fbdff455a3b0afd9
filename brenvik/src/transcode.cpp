#include "transcode.h"

#include "brenvik.h"
#include "files.h"

#include <cerrno>
#include <cstring>

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Windows-1251 text into a memory file. A character Windows-1251 lacks
// takes back its whole word: the write position goes back past the word's
// letters (found by looking back for a delimiter, also into text already
// written), and the rest of the word is dropped up to its delimiter. Keeping
// no word start on the way lets the common case be a plain copy.
class WordOutput
{
public:
    WordOutput(int fd, uint64_t start, const uint8_t delimiter[256])
        : m_fd(fd),
          m_delimiter(delimiter),
          m_base(start),
          m_wordFloor(start)
    {}
    bool init()
    {
        if (!m_buffer.allocate(kSize))
            return false;
        o = m_buffer.data;
        return true;
    }
    // Room for n more bytes (n at most a quarter of the buffer).
    bool reserve(uint64_t n) { return uint64_t(o - m_buffer.data) + n <= kSize || flush(false); }
    // The byte of a character; while a word is being dropped, only its delimiter is kept.
    void put(uint8_t b)
    {
        if (!m_dropping)
            *o++ = b;
        else if (m_delimiter[b]) {
            *o++ = b;
            m_dropping = false;
        }
    }
    bool dropping() const { return m_dropping; }
    void lacking()
    {
        if (m_dropping)
            return;
        ++m_skipped;
        m_dropping = true;
        uint8_t *q = o;
        while (q > m_buffer.data && !m_delimiter[q[-1]])
            --q;
        if (q == m_buffer.data && m_wordFloor < m_base)
            m_base = m_wordFloor; // the word began in text already written: write over it
        o = q;
    }
    bool finish() { return flush(true); }
    uint64_t position() const { return m_base + uint64_t(o - m_buffer.data); }
    uint64_t skipped() const { return m_skipped; }
    static constexpr uint64_t kSize = 4u << 20;
    uint8_t *o = nullptr; // where the next byte goes

private:
    // Writes the buffer out. The letters after its last delimiter stay in
    // it, unless they are many, so that a word can still be taken back.
    bool flush(bool all)
    {
        const uint64_t n = uint64_t(o - m_buffer.data);
        uint64_t tail = 0;
        while (tail < n && !m_delimiter[m_buffer.data[n - 1 - tail]])
            ++tail;
        if (tail < n)
            m_wordFloor = m_base + n - tail; // where the word at the end began
        const uint64_t keep = all || tail > kSize / 4 ? 0 : tail;
        for (uint64_t done = 0; done < n - keep;) {
            const ssize_t w = ::pwrite(m_fd, m_buffer.data + done, n - keep - done, off_t(m_base + done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += uint64_t(w);
        }
        std::memmove(m_buffer.data, m_buffer.data + n - keep, keep);
        m_base += n - keep;
        o = m_buffer.data + keep;
        return true;
    }

    int m_fd;
    const uint8_t *m_delimiter;
    Buffer<uint8_t> m_buffer;
    uint64_t m_base, m_wordFloor, m_skipped = 0;
    bool m_dropping = false;
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
    constexpr uint64_t kBlock = WordOutput::kSize / 4;
    Buffer<uint8_t> in;
    WordOutput text(out, outStart, delimiter);
    if (!in.allocate(kBlock + 8) || !text.init())
        return Fast::NoMemory;
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
        uint8_t *o = text.o;
        while (p < stop) {
            if (text.dropping()) {
                // The rest of a word being taken back: the slow way, up to its delimiter.
                text.o = o;
                while (p < stop && text.dropping() && *p < 0x80)
                    text.put(*p++);
                o = text.o;
                if (p == stop || !text.dropping())
                    continue;
            } else {
#ifdef __SSE2__
                // ASCII sixteen bytes at a time; the output never runs ahead of the input.
                while (stop - p >= 16) {
                    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(o), v);
                    const int high = _mm_movemask_epi8(v);
                    const int ascii = high ? __builtin_ctz(unsigned(high)) : 16;
                    p += ascii;
                    o += ascii;
                    if (high)
                        break;
                }
#endif
                // Russian letters, D0 or D1 and one byte, and the ASCII between them.
                for (; p < stop; ++p) {
                    const uint8_t b = *p;
                    if (b < 0x80) {
                        *o++ = b;
                        continue;
                    }
                    if ((b & 0xFE) != 0xD0 || p + 1 == stop || (p[1] & 0xC0) != 0x80)
                        break;
                    const int w = table.byte[((b & 0x1Fu) << 6) | (p[1] & 0x3Fu)];
                    if (w < 0)
                        break;
                    *o++ = uint8_t(w);
                    ++p;
                }
                if (p == stop)
                    break;
            }
            // Any other character, or a fault.
            const uint8_t b = *p;
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
            if (c == kNone && guessed)
                return Fast::NotUtf8;
            p += c == kNone ? 1 : n;
            const int w = c == kNone ? kUnmapped : c < 0x800 ? table.byte[c] : byteOf(c);
            text.o = o;
            if (w < 0)
                text.lacking();
            else
                text.put(uint8_t(w));
            o = text.o;
        }
        text.o = o;
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
    WordOutput text(memory.get(), 0, delimiter);
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
        } else {
            text.put(uint8_t(b));
            if (!delimiter[b])
                continue;
            const int percent = int(in.consumed() * 100 / (size ? size : 1));
            if (progress && percent != reported) {
                reported = percent;
                progress(context, percent);
            }
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
