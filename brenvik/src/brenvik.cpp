// tolow and createdicdll: the library's two exported functions.
//
// The build reads the source once in steps of at most 1/128 of its size.
// Each step's complete words are counted by the calling thread and, for big
// steps, by one helper thread on the second half; the helper only runs
// between the calling thread's progress reports, so a caller that holds the
// job inside a report holds all of it. The dictionary is written to a
// temporary file beside the target and renamed over it only on success.
#include "brenvik.h"

#include "delimitermask.h"
#include "lower.h"
#include "smalltable.h"
#include "wordtable.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brenvik;

extern "C" BRENVIK_API char *tolow(char *text)
{
    if (!text)
        return text;
    for (auto *p = reinterpret_cast<unsigned char *>(text); *p; ++p)
        *p = kLower.map[*p];
    return text;
}

namespace {

constexpr uint8_t kCR = 13, kLF = 10, kEOF = 26;
constexpr uint64_t kMaxStep = 128u << 10;
constexpr uint64_t kSplitAtLeast = 1u << 20; // smaller files are read by one thread
constexpr size_t kPad = 128; // the word loop reads up to 80 bytes past its range

// Reads the delimiter specification the way the dictionary's users read it:
// "^p" CR, "^t" tab, "^x" x, a final "^" code 0. Calls f(value, tokenStart, tokenLength).
template <typename F>
void forEachDelimiter(const char *notation, F f)
{
    if (!notation)
        return;
    const size_t n = std::strlen(notation);
    for (size_t i = 0; i < n; ++i) {
        const size_t start = i;
        auto ch = static_cast<uint8_t>(notation[i]);
        if (ch == '^') {
            ++i;
            ch = i < n ? static_cast<uint8_t>(notation[i]) : 0;
            if (ch == 'p')
                ch = kCR;
            else if (ch == 't')
                ch = 9;
        }
        f(ch, start, (i < n ? i + 1 : n) - start);
    }
}

// The first line of the dictionary: the delimiter specification as passed, except that
// raw CR, LF and code 26 would end that line (or the file) early. CR is
// written as "^p", which stands for the same character; LF and code 26 are
// left out, which changes nothing about the words since the build always
// splits at them anyway.
void headerLine(const char *notation, char *out, size_t &length)
{
    length = 0;
    forEachDelimiter(notation, [&](uint8_t value, size_t start, size_t len) {
        bool raw = false;
        for (size_t k = 0; k < len; ++k) {
            const auto c = static_cast<uint8_t>(notation[start + k]);
            raw = raw || c == kCR || c == kLF || c == kEOF;
        }
        if (!raw) {
            std::memcpy(out + length, notation + start, len);
            length += len;
        } else if (value == kCR) {
            out[length++] = '^';
            out[length++] = 'p';
        }
    });
}

// Reports a phase's percentage: only rising values, every integer on the
// way, so a phase makes at most 101 calls and never skips a percent.
class Reporter {
public:
    explicit Reporter(brenvik_progress f) : m_f(f) {}
    void report(int value)
    {
        value = std::clamp(value, 0, 100);
        while (m_last < value) {
            ++m_last;
            if (m_f)
                m_f(m_last);
        }
    }
    void start()
    {
        if (m_last < 0) {
            m_last = 0;
            if (m_f)
                m_f(0);
        }
    }

private:
    brenvik_progress m_f;
    int m_last = -1;
};

int percentOf(uint64_t part, uint64_t whole)
{
    return whole ? int(part * 100 / whole) : 100;
}

template <typename T>
struct Buffer {
    T *data = nullptr;
    ~Buffer() { std::free(data); }
    bool allocate(size_t n)
    {
        data = static_cast<T *>(std::malloc(n ? n * sizeof(T) : 1));
        return data != nullptr;
    }
};

// Random bits for names and hash seeds; the clock stands in when the system has none to give.
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

// Counts words as they stand in the text: words of up to 16 bytes in a
// table that keys them by their bytes, longer ones lower-cased in a general
// table. Case forms of one word are merged once counting is done, which
// keeps lower-casing off the path every byte takes.
struct Counter {
    const DelimiterMask *delimiters = nullptr;
    uint64_t minimum = 0;
    SmallTable small{randomBits(1)};
    WordTable longWords;
    bool failed = false;

    // Scratch space for one batch, kept off the stack: the caller's thread may have little.
    bool prepare() { return m_spans.allocate(kMostWords) && m_keys.allocate(kMostWords); }

    // Counts the words of [b, e), whose first byte is at file offset `base`.
    // [b, e) starts at a word or delimiter and ends after one or at the end of
    // the text, is shorter than 4 GiB, and 64 + 16 bytes past e are readable.
    void count(uint8_t *b, uint8_t *e, uint64_t base)
    {
        // Each batch of text is taken in two sweeps: the first finds its
        // words, the second counts them all at once.
        uint64_t masks[kBatch];
        Span *const spans = m_spans.data;
        SmallTable::Key *const keys = m_keys.data;
        uint64_t open = 0;            // start of a word running past its group
        bool isOpen = false;
        const uint64_t minimum = this->minimum, end = uint64_t(e - b);
        for (uint64_t g = 0; g < end; g += 64 * kBatch) {
            const size_t groups = std::min<size_t>(kBatch, size_t(end - g + 63) / 64);
            delimiters->fill(b + g, groups, masks);
            size_t found = 0;
            for (size_t k = 0; k < groups; ++k) {
                const uint64_t at = g + 64 * k;
                uint64_t d = masks[k];
                if (end - at < 64)
                    d |= ~uint64_t(0) << (end - at); // past e counts as a delimiter
                uint64_t n = ~d;
                if (isOpen) {
                    if (d == 0)
                        continue;
                    const unsigned stop = unsigned(__builtin_ctzll(d));
                    spans[found] = Span{uint32_t(open), uint32_t(at + stop - open)};
                    found += at + stop - open >= minimum;
                    isOpen = false;
                    n &= ~uint64_t(0) << stop;
                }
                while (n) {
                    const unsigned start = unsigned(__builtin_ctzll(n));
                    const uint64_t after = d & (~uint64_t(0) << start);
                    if (!after) {
                        open = at + start;
                        isOpen = true;
                        break;
                    }
                    const unsigned stop = unsigned(__builtin_ctzll(after));
                    // Kept only if long enough; no branch on that: it is unpredictable.
                    spans[found] = Span{uint32_t(at + start), stop - start};
                    found += stop - start >= minimum;
                    n &= ~uint64_t(0) << stop;
                }
            }
            size_t shorts = 0;
            for (size_t k = 0; k < found; ++k) {
                const Span &w = spans[k];
                if (w.length <= kSmallWord) {
                    SmallTable::Key &key = keys[shorts++];
                    SmallTable::key(b + w.start, w.length, key.lo, key.hi);
                    key.length = w.length;
                    key.first = base + w.start;
                    key.count = 1;
                } else {
                    word(b + w.start, w.length, base + w.start);
                }
            }
            failed |= !small.addAll(keys, shorts);
            if (failed)
                return;
        }
        if (isOpen && end - open >= minimum)
            word(b + open, end - open, base + open);
    }

    // A word gathered across reading steps (already lower-cased).
    void gathered(uint8_t *w, uint64_t length, uint64_t first)
    {
        uint8_t copy[kSmallWord + 8] = {}; // the short-word key reads 16 bytes
        if (length <= kSmallWord) {
            std::memcpy(copy, w, length);
            w = copy;
        }
        if (length >= minimum)
            word(w, length, first);
    }

private:
    struct Span {
        uint32_t start, length; // from the start of the range
    };
    static constexpr size_t kBatch = 32;                   // groups of 64 bytes: 2 KB of text
    static constexpr size_t kMostWords = kBatch * 32 + 1; // words ending in one batch

    Buffer<Span> m_spans;
    Buffer<SmallTable::Key> m_keys;

    void word(uint8_t *w, uint64_t length, uint64_t first)
    {
        if (length <= kSmallWord) {
            uint64_t lo, hi;
            SmallTable::key(w, length, lo, hi);
            failed |= !small.add(lo, hi, length, first);
            return;
        }
        for (uint64_t i = 0; i < length; ++i)
            w[i] = kLower.map[w[i]];
        failed |= !longWords.add(w, length, hashWord(w, length, false), first, 1);
    }
};

// A word longer than a reading step, gathered across steps.
struct LongWord {
    uint8_t *data = nullptr;
    uint64_t length = 0, capacity = 0, first = 0;
    bool active = false;
    ~LongWord() { std::free(data); }
    bool append(const uint8_t *p, uint64_t n)
    {
        if (capacity - length < n) {
            uint64_t c = capacity ? capacity : 1u << 20;
            while (c - length < n)
                c *= 2;
            auto *d = static_cast<uint8_t *>(std::realloc(data, c));
            if (!d)
                return false;
            data = d;
            capacity = c;
        }
        for (uint64_t i = 0; i < n; ++i)
            data[length + i] = kLower.map[p[i]];
        length += n;
        return true;
    }
};

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

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

// A temporary file in the target's folder, unique to this build.
class TempFile {
public:
    ~TempFile() { discard(); }
    bool create(const char *target)
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
    int fd() const { return m_fd; }
    const char *path() const { return m_path.data; }
    // Flushes, closes and renames over the target; false leaves nothing behind.
    bool commit(const char *target)
    {
        const bool synced = ::fsync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        if (!synced || !closed || ::rename(m_path.data, target) != 0)
            return false;
        m_committed = true;
        return true;
    }
    void discard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (m_path.data && !m_committed) {
            ::unlink(m_path.data);
            m_committed = true;
        }
    }

private:
    Buffer<char> m_path;
    int m_fd = -1;
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

// Lets the calling thread hold the second reader while it is inside a
// progress report, and tells it when the second reader is finished.
class Gate {
public:
    Gate()
    {
        pthread_mutex_init(&m_mutex, nullptr);
        pthread_cond_init(&m_cond, nullptr);
    }
    ~Gate()
    {
        pthread_cond_destroy(&m_cond);
        pthread_mutex_destroy(&m_mutex);
    }
    void hold() { m_held.store(true); }
    void release()
    {
        pthread_mutex_lock(&m_mutex);
        m_held.store(false);
        pthread_cond_broadcast(&m_cond);
        pthread_mutex_unlock(&m_mutex);
    }
    // Called by the second reader between its steps.
    void pass()
    {
        if (!m_held.load())
            return;
        pthread_mutex_lock(&m_mutex);
        while (m_held.load())
            pthread_cond_wait(&m_cond, &m_mutex);
        pthread_mutex_unlock(&m_mutex);
    }
    void finish()
    {
        pthread_mutex_lock(&m_mutex);
        m_finished = true;
        pthread_cond_broadcast(&m_cond);
        pthread_mutex_unlock(&m_mutex);
    }
    // Waits a little for the second reader; true once it has finished.
    bool waitFinished()
    {
        pthread_mutex_lock(&m_mutex);
        if (!m_finished) {
            timespec until{};
            clock_gettime(CLOCK_REALTIME, &until);
            until.tv_nsec += 5 * 1000 * 1000;
            if (until.tv_nsec >= 1000000000) {
                until.tv_nsec -= 1000000000;
                ++until.tv_sec;
            }
            pthread_cond_timedwait(&m_cond, &m_mutex, &until);
        }
        const bool finished = m_finished;
        pthread_mutex_unlock(&m_mutex);
        return finished;
    }

private:
    pthread_mutex_t m_mutex;
    pthread_cond_t m_cond;
    std::atomic<bool> m_held{false};
    bool m_finished = false;
};

// Counts the words of the file range [begin, end) in steps; the range starts
// at the file's start or at a delimiter and ends at a delimiter or the end.
struct RangeReader {
    int fd = -1;
    uint64_t begin = 0, end = 0, step = 1;
    Counter counter;
    LongWord longWord;
    Buffer<uint8_t> buffer;
    std::atomic<uint64_t> done{0};
    int32_t result = BRENVIK_OK;

    template <typename AfterStep>
    void run(AfterStep afterStep)
    {
        result = read(afterStep);
        if (result == BRENVIK_OK && counter.failed)
            result = BRENVIK_OUT_OF_MEMORY;
    }

private:
    bool finishLongWord()
    {
        longWord.active = false;
        counter.gathered(longWord.data, longWord.length, longWord.first);
        return !counter.failed;
    }

    template <typename AfterStep>
    int32_t read(AfterStep afterStep)
    {
        const DelimiterMask &delimiter = *counter.delimiters;
        if (!buffer.allocate(2 * step + kPad) || !counter.prepare())
            return BRENVIK_OUT_OF_MEMORY;
        uint8_t *const buf = buffer.data;
        std::memset(buf, 0, 2 * step + kPad);
        uint64_t offset = begin, carry = 0, bufBase = begin;
        while (offset < end) {
            const uint64_t want = std::min(step, end - offset);
            uint64_t got = 0;
            while (got < want) {
                const ssize_t r = ::pread(fd, buf + carry + got, want - got, off_t(offset + got));
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0)
                    return BRENVIK_READ_FAILED;
                if (r == 0)
                    break;
                got += uint64_t(r);
            }
            offset += got;
            done.store(offset - begin, std::memory_order_relaxed);
            const bool eof = got < want || offset >= end;
            const uint64_t total = carry + got;
            uint64_t pos = 0;
            if (longWord.active) {
                while (pos < total && !delimiter.isDelimiter(buf[pos]))
                    ++pos;
                if (!longWord.append(buf, pos))
                    return BRENVIK_OUT_OF_MEMORY;
                if ((pos < total || eof) && !finishLongWord())
                    return BRENVIK_OUT_OF_MEMORY;
            }
            uint64_t last = total;
            if (!eof) {
                last = pos;
                for (uint64_t k = total; k > pos; --k) {
                    if (delimiter.isDelimiter(buf[k - 1])) {
                        last = k;
                        break;
                    }
                }
            }
            counter.count(buf + pos, buf + last, bufBase + pos);
            if (counter.failed)
                return BRENVIK_OUT_OF_MEMORY;
            const uint64_t tail = total - last;
            carry = 0;
            if (tail >= step) {
                longWord.active = true;
                longWord.length = 0;
                longWord.first = bufBase + last;
                if (!longWord.append(buf + last, tail))
                    return BRENVIK_OUT_OF_MEMORY;
            } else if (tail) {
                std::memmove(buf, buf + last, tail);
                carry = tail;
            }
            bufBase += total - carry;
            afterStep();
            if (eof)
                break;
        }
        if (longWord.active && !finishLongWord())
            return BRENVIK_OUT_OF_MEMORY;
        return BRENVIK_OK;
    }
};

struct SecondReader {
    RangeReader *reader;
    Gate *gate;
    static void *main(void *self)
    {
        auto *s = static_cast<SecondReader *>(self);
        s->reader->run([s] { s->gate->pass(); });
        s->gate->finish();
        return nullptr;
    }
};

// A distinct word as it is written: the order is by count, then by first occurrence.
struct Item {
    uint64_t count, first;
    const uint8_t *word;
    uint64_t length;
};

int32_t build(const char *source, const char *target, const char *notation, int32_t minimum,
              brenvik_progress progress1, brenvik_progress progress2)
{
    Reporter reading(progress1), writing(progress2);
    if (!source || !*source)
        return BRENVIK_SOURCE_NOT_FOUND;

    // Non-blocking open so that a FIFO cannot stall us; only regular files are read.
    Fd in(::open(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat sourceStat {};
    if (in.get() < 0 || ::fstat(in.get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode))
        return BRENVIK_SOURCE_NOT_FOUND;
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
    const auto size = uint64_t(sourceStat.st_size);
    if (size == 0)
        return BRENVIK_SOURCE_EMPTY;

    if (!target || !*target)
        return BRENVIK_TARGET_NOT_OPENED;
    struct stat targetStat {};
    if (::stat(target, &targetStat) == 0) {
        // Writing the dictionary over its own source would lose the text.
        if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
            return BRENVIK_TARGET_NOT_OPENED;
        if (S_ISDIR(targetStat.st_mode) || ::access(target, W_OK) != 0)
            return BRENVIK_TARGET_NOT_OPENED;
    }
    TempFile out;
    if (!out.create(target))
        return BRENVIK_TARGET_NOT_OPENED;

    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    uint8_t delimiter[256] = {};
    forEachDelimiter(notation, [&](uint8_t value, size_t, size_t) { delimiter[value] = 1; });
    // Always split at line ends and the end-of-file mark: a word holding one
    // of them could not be written as one dictionary line.
    delimiter[kCR] = delimiter[kLF] = delimiter[kEOF] = 1;
    const DelimiterMask delimiters(delimiter);

    const uint64_t minLength = minimum > 0 ? uint64_t(minimum) : 0;
    RangeReader firstHalf, secondHalf;
    for (RangeReader *r : {&firstHalf, &secondHalf}) {
        r->fd = in.get();
        r->counter.delimiters = &delimiters;
        r->counter.minimum = minLength;
        r->step = std::clamp<uint64_t>(size / 128, 1, kMaxStep);
    }
    // The second half starts at the first delimiter from the middle on.
    uint64_t split = size;
    if (size >= kSplitAtLeast) {
        uint8_t probe[4096];
        for (uint64_t at = size / 2; at < size && split == size;) {
            const ssize_t r = ::pread(in.get(), probe, sizeof probe, off_t(at));
            if (r <= 0)
                break;
            for (ssize_t k = 0; k < r; ++k)
                if (delimiter[probe[k]]) {
                    split = at + uint64_t(k);
                    break;
                }
            at += uint64_t(r);
        }
    }
    firstHalf.end = split;
    secondHalf.begin = secondHalf.end = split;
    if (split < size)
        secondHalf.end = size;

    reading.start();
    Gate gate;
    const auto report = [&] {
        gate.hold();
        reading.report(percentOf(firstHalf.done.load() + secondHalf.done.load(), size));
        gate.release();
    };
    SecondReader helper{&secondHalf, &gate};
    pthread_t thread{};
    const bool threaded = split < size && pthread_create(&thread, nullptr, &SecondReader::main, &helper) == 0;
    firstHalf.run(report);
    if (threaded) {
        while (!gate.waitFinished())
            report();
        pthread_join(thread, nullptr);
    } else if (split < size) {
        secondHalf.run(report);
    }
    if (firstHalf.result != BRENVIK_OK)
        return firstHalf.result;
    if (secondHalf.result != BRENVIK_OK)
        return secondHalf.result;
    in.reset();
    reading.report(100);

    // Ordering and writing: merge 0..10, sort 10..40, write 40..100.
    Counter &first = firstHalf.counter, &second = secondHalf.counter;
    const uint64_t pieces = first.small.size() + second.small.size() + second.longWords.size();
    if (pieces + first.longWords.size() == 0)
        return BRENVIK_DICTIONARY_EMPTY;
    writing.start();
    // Every case form of a word and both halves' counts go into one entry
    // for the lower-cased word, which comes first where its earliest form did.
    // Lower-casing keeps a word's length, so short and long words stay apart.
    SmallTable words(randomBits(2));
    uint64_t merged = 0;
    const auto progress = [&] {
        if ((++merged & 4095) == 0)
            writing.report(percentOf(merged, pieces) / 10);
    };
    for (const Counter *c : {&first, &second}) {
        constexpr uint64_t kChunk = 256;
        SmallTable::Key keys[kChunk];
        for (uint64_t at = 0; at < c->small.size(); at += kChunk) {
            const uint64_t m = std::min(kChunk, c->small.size() - at);
            for (uint64_t k = 0; k < m; ++k) {
                const SmallEntry &e = c->small.entry(at + k);
                uint8_t w[kSmallWord];
                for (uint64_t i = 0; i < kSmallWord; ++i) // zero bytes stay zero
                    w[i] = kLower.map[e.bytes[i]];
                SmallTable::key(w, e.length(), keys[k].lo, keys[k].hi);
                keys[k].length = e.length();
                keys[k].first = e.first();
                keys[k].count = e.count;
            }
            if (!words.addAll(keys, m))
                return BRENVIK_OUT_OF_MEMORY;
            merged += m;
            writing.report(percentOf(merged, pieces) / 10);
        }
    }
    WordTable &longWords = first.longWords;
    for (uint32_t k = 0; k < second.longWords.size(); ++k) {
        const WordEntry &e = second.longWords.entry(k);
        if (!longWords.add(second.longWords.word(e), e.length, e.hash, e.first, e.count))
            return BRENVIK_OUT_OF_MEMORY;
        progress();
    }
    writing.report(10);

    const uint64_t n = words.size() + longWords.size();
    Buffer<Item> order;
    if (!order.allocate(n))
        return BRENVIK_OUT_OF_MEMORY;
    for (uint64_t k = 0; k < words.size(); ++k) {
        const SmallEntry &e = words.entry(k);
        order.data[k] = Item{e.count, e.first(), e.bytes, e.length()};
    }
    for (uint32_t k = 0; k < longWords.size(); ++k) {
        const WordEntry &e = longWords.entry(k);
        order.data[words.size() + k] = Item{e.count, e.first, longWords.word(e), e.length};
    }
    // Sorted in runs so that progress keeps moving, then merged while writing.
    constexpr uint32_t kMaxRuns = 64;
    const auto runs = uint32_t(std::clamp<uint64_t>(n / 1024, 1, kMaxRuns));
    uint64_t runStart[kMaxRuns + 1];
    for (uint32_t r = 0; r <= runs; ++r)
        runStart[r] = n * r / runs;
    const auto less = [](const Item &x, const Item &y) {
        return x.count != y.count ? x.count > y.count : x.first < y.first;
    };
    for (uint32_t r = 0; r < runs; ++r) {
        std::sort(order.data + runStart[r], order.data + runStart[r + 1], less);
        writing.report(10 + int(30 * uint64_t(r + 1) / runs));
    }

    Writer writer(out.fd());
    if (!writer.init())
        return BRENVIK_OUT_OF_MEMORY;
    {
        const size_t specLength = notation ? std::strlen(notation) : 0;
        Buffer<char> header;
        if (!header.allocate(2 * specLength + 1)) // a raw CR grows to "^p"
            return BRENVIK_OUT_OF_MEMORY;
        size_t headerLength = 0;
        headerLine(notation, header.data, headerLength);
        if (!writer.put(header.data, headerLength) || !writer.put("\r\n", 2))
            return BRENVIK_WRITE_FAILED;
    }

    // A binary heap of run heads, smallest (next to write) on top.
    uint64_t head[kMaxRuns];
    uint32_t heap[kMaxRuns], heapSize = 0;
    const auto heapLess = [&](uint32_t a, uint32_t b) { return less(order.data[head[a]], order.data[head[b]]); };
    const auto siftDown = [&](uint32_t i) {
        for (;;) {
            uint32_t m = i;
            const uint32_t l = 2 * i + 1, r = l + 1;
            if (l < heapSize && heapLess(heap[l], heap[m]))
                m = l;
            if (r < heapSize && heapLess(heap[r], heap[m]))
                m = r;
            if (m == i)
                return;
            std::swap(heap[i], heap[m]);
            i = m;
        }
    };
    for (uint32_t r = 0; r < runs; ++r) {
        head[r] = runStart[r];
        if (head[r] < runStart[r + 1])
            heap[heapSize++] = r;
    }
    for (uint32_t i = heapSize; i-- > 0;)
        siftDown(i);

    char number[24];
    for (uint64_t written = 0; heapSize; ++written) {
        const uint32_t r = heap[0];
        const Item &e = order.data[head[r]];
        char *digits = number + sizeof number;
        *--digits = ' ';
        uint64_t c = e.count;
        do {
            *--digits = char('0' + c % 10);
            c /= 10;
        } while (c);
        if (!writer.put(digits, uint64_t(number + sizeof number - digits)) ||
            !writer.put(e.word, e.length) || !writer.put("\r\n", 2))
            return BRENVIK_WRITE_FAILED;
        if (++head[r] == runStart[r + 1])
            heap[0] = heap[--heapSize];
        siftDown(0);
        if ((written & 1023) == 0)
            writing.report(40 + int(60 * written / n));
    }
    if (!writer.flush() || !out.commit(target))
        return BRENVIK_WRITE_FAILED;
    writing.report(100);
    return BRENVIK_OK;
}

} // namespace

extern "C" BRENVIK_API int32_t createdicdll(const char *source, const char *target,
                                            const char *delimiters, int32_t minimum,
                                            brenvik_progress progress1, brenvik_progress progress2)
{
    return build(source, target, delimiters, minimum, progress1, progress2);
}
