// tolow and createdicdll: the library's two exported functions.
//
// The build reads the source once in steps of at most 1/128 of its size.
// Each step's complete words are counted by the calling thread and, for big
// steps, by one helper thread on the second half; the helper only runs
// between the calling thread's progress reports, so a caller that holds the
// job inside a report holds all of it. The dictionary is written to a
// temporary file beside the target and renamed over it only on success.
#include "brenvik.h"

#include "counter.h"
#include "dictionary.h"
#include "files.h"
#include "lower.h"
#include "notation.h"
#include "progress.h"
#include "transcode.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
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

constexpr uint64_t kMaxStep = 128u << 10;
constexpr uint64_t kSplitAtLeast = 1u << 20; // smaller files are read by one thread
constexpr size_t kPad = 128; // the word loop reads up to 64 bytes past its range

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
    RangeReader(int fd, const DelimiterMask &delimiters, uint64_t minimum, uint64_t step, uint64_t seed)
        : fd(fd), step(step), counter(delimiters, minimum, seed)
    {
    }
    int fd;
    uint64_t begin = 0, end = 0, step;
    Counter counter;
    Buffer<uint8_t> buffer;
    std::atomic<uint64_t> done{0};
    int32_t result = BRENVIK_OK;

    template <typename AfterStep>
    void run(AfterStep afterStep)
    {
        result = read(afterStep);
        if (result == BRENVIK_OK && counter.failed())
            result = BRENVIK_OUT_OF_MEMORY;
    }

private:
    bool finishLongWord()
    {
        counter.finishLong();
        return !counter.failed();
    }

    template <typename AfterStep>
    int32_t read(AfterStep afterStep)
    {
        const DelimiterMask &delimiter = counter.delimiters();
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
            if (counter.gathering()) {
                while (pos < total && !delimiter.isDelimiter(buf[pos]))
                    ++pos;
                if (!counter.extendLong(buf, pos))
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
            if (counter.failed())
                return BRENVIK_OUT_OF_MEMORY;
            const uint64_t tail = total - last;
            carry = 0;
            if (tail >= step) {
                counter.startLong(bufBase + last);
                if (!counter.extendLong(buf + last, tail))
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
        if (counter.gathering() && !finishLongWord())
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

int32_t build(const char *source, const char *target, const char *notation, int32_t minimum, SourceEncoding encoding,
              int64_t *skippedWords, brenvik_progress progress1, brenvik_progress progress2)
{
    if (skippedWords)
        *skippedWords = 0;
    Reporter reading(progress1), writing(progress2);
    if (!source || !*source)
        return BRENVIK_SOURCE_NOT_FOUND;

    // Non-blocking open so that a FIFO cannot stall us; only regular files are read.
    Fd in(::open(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat sourceStat {};
    if (in.get() < 0 || ::fstat(in.get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode))
        return BRENVIK_SOURCE_NOT_FOUND;
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
    auto size = uint64_t(sourceStat.st_size);
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

    // A UTF-8 or UTF-16 source is read in its Windows-1251 form; turning it
    // into that is the first half of the reading.
    reading.start();
    int readBase = 0;
    Transcoded windows1251;
    const int32_t transcoded = transcode(
        in.get(), size, encoding, delimiter, windows1251,
        [](void *r, int percent) { static_cast<Reporter *>(r)->report(percent / 2); }, &reading);
    if (transcoded != BRENVIK_OK)
        return transcoded;
    if (windows1251.fd >= 0) {
        in.reset(windows1251.fd);
        size = windows1251.size;
        readBase = 50;
        if (skippedWords)
            *skippedWords = int64_t(windows1251.skipped);
        if (size == 0)
            return BRENVIK_DICTIONARY_EMPTY;
    }

    const uint64_t minLength = minimum > 0 ? uint64_t(minimum) : 0;
    const uint64_t step = std::clamp<uint64_t>(size / 128, 1, kMaxStep);
    const uint64_t seed = randomBits(1);
    RangeReader firstHalf(in.get(), delimiters, minLength, step, seed),
        secondHalf(in.get(), delimiters, minLength, step, seed);
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

    Gate gate;
    const auto report = [&] {
        gate.hold();
        reading.report(readBase
                       + percentOf(firstHalf.done.load() + secondHalf.done.load(), size) * (100 - readBase) / 100);
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

    Counter &first = firstHalf.counter, &second = secondHalf.counter;
    if (first.small().size() + first.longWords().size() + second.small().size() + second.longWords().size() == 0)
        return BRENVIK_DICTIONARY_EMPTY;
    writing.start();
    const int32_t written = writeDictionary(first, second, notation, out.fd(), writing);
    if (written != BRENVIK_OK)
        return written;
    if (!out.commit(target))
        return BRENVIK_WRITE_FAILED;
    writing.report(100);
    return BRENVIK_OK;
}

} // namespace

extern "C" BRENVIK_API int32_t createdicdll(const char *source, const char *target,
                                            const char *delimiters, int32_t minimum,
                                            brenvik_progress progress1, brenvik_progress progress2)
{
    return build(source, target, delimiters, minimum, SourceEncoding::Auto, nullptr, progress1, progress2);
}

extern "C" BRENVIK_API int32_t createdicex(const char *source, const char *target, const char *delimiters,
                                           int32_t minimum, int32_t encoding, int64_t *skipped,
                                           brenvik_progress progress1, brenvik_progress progress2)
{
    if (encoding < int32_t(SourceEncoding::Auto) || encoding > int32_t(SourceEncoding::Utf16BE))
        encoding = int32_t(SourceEncoding::Auto);
    return build(source, target, delimiters, minimum, SourceEncoding(encoding), skipped, progress1, progress2);
}
