// Tests of libbrenvik through its two exported functions only.
#include "check.h"
#include "dictcheck.h"
#include "testfiles.h"

#include <brenvik.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

using dictcheck::Line;
using namespace testfiles;

namespace {

const char *cstr(const std::string &notation) { return notation.empty() ? nullptr : notation.c_str(); }

// Builds `text` into a fresh dictionary; returns the result and the file.
int32_t build(const std::string &text, const std::string &notation, int minimum, std::string *file = nullptr)
{
    writeFile(path("src.txt"), text);
    ::unlink(path("out.slo").c_str());
    const int32_t r = createdicdll(path("src.txt").c_str(), path("out.slo").c_str(), cstr(notation), minimum,
                                   nullptr, nullptr);
    if (file)
        *file = dictcheck::readFile(path("out.slo"));
    return r;
}

void testLowerCaseTable()
{
    // Every capital and its small letter; every other byte stays as it is.
    std::vector<int> expected(256);
    for (int b = 0; b < 256; ++b)
        expected[b] = b;
    for (int c = 'A'; c <= 'Z'; ++c)
        expected[c] = c + 32;
    for (int c = 0xC0; c <= 0xDF; ++c)
        expected[c] = c + 32;
    const int pairs[][2] = {{0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                            {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
                            {0xA5, 0xB4}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (const auto &p : pairs)
        expected[p[0]] = p[1];

    char all[256];
    for (int b = 1; b < 256; ++b)
        all[b - 1] = static_cast<char>(b);
    all[255] = 0;
    CHECK(tolow(all) == all);
    for (int b = 1; b < 256; ++b) {
        if (static_cast<unsigned char>(all[b - 1]) != expected[b]) {
            std::fprintf(stderr, "  byte 0x%02X -> 0x%02X, expected 0x%02X\n", b,
                         static_cast<unsigned char>(all[b - 1]), expected[b]);
            CHECK(false);
        }
    }
    // Lower case is a fixed point, and the length never changes.
    CHECK(std::strlen(all) == 255);
    char again[256];
    std::memcpy(again, all, 256);
    tolow(again);
    CHECK(std::memcmp(again, all, 256) == 0);
    // Bytes after the terminator are not touched.
    char tail[] = {'A', 0, 'B', 0};
    tolow(tail);
    CHECK(tail[0] == 'a' && tail[2] == 'B');
    CHECK(tolow(nullptr) == nullptr);
}

void testFileFormat()
{
    // Counts first, ties in the order of first occurrence, CR LF everywhere,
    // the delimiter specification verbatim as the first line.
    std::string file;
    CHECK(build("Zeta alpha, \xDF\xC1\xCB\xCE\xCA\xCE beta; zeta  \xDF\xE1\xEB\xEE\xEA\xEE alpha\r\nbeta gamma zeta", kDefault, 0, &file) == 0);
    CHECK(file == kDefault + "\r\n3 zeta\r\n2 alpha\r\n2 \xFF\xE1\xEB\xEE\xEA\xEE\r\n2 beta\r\n1 gamma\r\n");

    // No delimiter specification: only line ends split; the first line is empty.
    CHECK(build("one two\nthree\r\n", "", 0, &file) == 0);
    CHECK(file == "\r\n1 one two\r\n1 three\r\n");
}

void testEscapes()
{
    struct Row {
        const char *name, *notation, *text, *words;
    } rows[] = {
        {"^p is CR, ^t is tab", "^p^t", "a b\tc\rd", "a b|c|d"},
        {"^^ is the caret", "^^", "x^y", "x|y"},
        {"^ and another character", "^,^p", "a,b\rc;d", "a|b|c;d"},
        {"final ^ is code 0 only", "ab^", "xay^zb\0w", "x|y^z|w"},
        {"p and t stand for themselves", "pt", "apbtc", "a|b|c"},
        {"letters split before lower case", "A", "xAyaz", "x|yaz"},
        {"lone caret inside is an escape", "^ ", "u v^w", "u|v^w"},
    };
    for (const auto &row : rows) {
        check::current = std::string("escapes: ") + row.name;
        // The texts may hold a NUL: take them with their full length.
        std::string text(row.text);
        if (!std::strcmp(row.name, "final ^ is code 0 only"))
            text = std::string("xay^zb\0w", 8);
        std::string file;
        CHECK(build(text, row.notation, 0, &file) == 0);
        const auto d = dictcheck::load(file);
        std::string words;
        for (const auto &l : d.lines)
            words += (words.empty() ? "" : "|") + l.word;
        if (words != row.words)
            std::fprintf(stderr, "  got '%s'\n", words.c_str());
        CHECK(words == row.words);
        CHECK(d.header == row.notation);
    }
    check::current.clear();
}

void testLineEndsAlwaysSplit()
{
    // The default holds CR but not LF: a CR LF text still gives clean words,
    // and code 26 inside the text cannot cut the dictionary short.
    std::string file;
    CHECK(build("first line\r\nsecond\nthird\x1aword\r", kDefault, 0, &file) == 0);
    const auto d = dictcheck::load(file);
    CHECK(d.ok);
    const std::vector<Line> expected = {{1, "first"}, {1, "line"}, {1, "second"}, {1, "third"}, {1, "word"}};
    CHECK(d.lines == expected);
    CHECK(file.find('\x1a') == std::string::npos);
    CHECK(file.find("\n\n") == std::string::npos);
}

void testHeaderWithLineEnds()
{
    // A delimiter specification holding CR, LF or 26 cannot be written as it stands:
    // CR becomes "^p", LF and 26 are left out (the build splits at them anyway).
    struct Row {
        std::string notation, header;
    } rows[] = {{"a\rb", "a^pb"}, {"a\nb", "ab"}, {"a\x1a", "a"}, {"^\r^\n.", "^p."}, {" ^", " ^"}};
    for (const auto &row : rows) {
        check::current = "header of " + row.header;
        std::string file;
        CHECK(build("x.y z", row.notation, 0, &file) == 0);
        const auto d = dictcheck::load(file);
        CHECK(d.ok);
        CHECK(d.header == row.header);
        // The written header builds the same dictionary.
        std::string again;
        CHECK(build("x.y z", row.header, 0, &again) == 0);
        CHECK(dictcheck::load(again).lines == d.lines);
    }
    check::current.clear();
}

void testMinimumLength()
{
    const std::string text = "a bb ccc dddd \xC6\xC6\xC6\xC6\xC6 ffffff";
    struct Row {
        int minimum;
        size_t words;
    } rows[] = {{-5, 6}, {0, 6}, {1, 6}, {3, 4}, {5, 2}, {6, 1}};
    for (const auto &row : rows) {
        check::current = "minimum " + std::to_string(row.minimum);
        std::string file;
        CHECK(build(text, kDefault, row.minimum, &file) == 0);
        const auto d = dictcheck::load(file);
        CHECK(d.lines.size() == row.words);
        for (const auto &l : d.lines)
            CHECK(static_cast<int>(l.word.size()) >= row.minimum);
    }
    check::current = "minimum 20";
    CHECK(build("short words only here", kDefault, 20) == BRENVIK_DICTIONARY_EMPTY);
    CHECK(build(std::string(20, 'q') + " " + std::string(19, 'r'), kDefault, 20) == 0);
    check::current.clear();
}

void testResults()
{
    const std::string src = path("src.txt"), out = path("out.slo");
    writeFile(src, "some words here");
    CHECK(createdicdll(path("missing.txt").c_str(), out.c_str(), nullptr, 0, nullptr, nullptr) ==
          BRENVIK_SOURCE_NOT_FOUND);
    CHECK(createdicdll(g_dir.c_str(), out.c_str(), nullptr, 0, nullptr, nullptr) == BRENVIK_SOURCE_NOT_FOUND);
    CHECK(createdicdll(nullptr, out.c_str(), nullptr, 0, nullptr, nullptr) == BRENVIK_SOURCE_NOT_FOUND);
    CHECK(createdicdll(src.c_str(), path("no/such/folder.slo").c_str(), nullptr, 0, nullptr, nullptr) ==
          BRENVIK_TARGET_NOT_OPENED);
    CHECK(createdicdll(src.c_str(), g_dir.c_str(), nullptr, 0, nullptr, nullptr) == BRENVIK_TARGET_NOT_OPENED);
    CHECK(createdicdll(src.c_str(), nullptr, nullptr, 0, nullptr, nullptr) == BRENVIK_TARGET_NOT_OPENED);
    CHECK(build("", kDefault, 0) == BRENVIK_SOURCE_EMPTY);
    CHECK(build("a bb ccc", kDefault, 4) == BRENVIK_DICTIONARY_EMPTY);
    CHECK(build(" ,.;\r\n\t", kDefault, 0) == BRENVIK_DICTIONARY_EMPTY);
    CHECK(!exists(out));

    if (geteuid() != 0) { // root writes into read-only folders
        const std::string ro = path("ro");
        ::mkdir(ro.c_str(), 0555);
        CHECK(createdicdll(src.c_str(), (ro + "/x.slo").c_str(), nullptr, 0, nullptr, nullptr) ==
              BRENVIK_TARGET_NOT_OPENED);
        ::rmdir(ro.c_str());
    }
}

void testSameFileRefused()
{
    // The dictionary must never replace its own source, by any name.
    const std::string src = path("same.txt"), text = "keep this text intact";
    writeFile(src, text);
    ::unlink(path("hard.txt").c_str());
    ::unlink(path("soft.txt").c_str());
    CHECK(::link(src.c_str(), path("hard.txt").c_str()) == 0);
    CHECK(::symlink(src.c_str(), path("soft.txt").c_str()) == 0);
    for (const std::string &t : {src, path("hard.txt"), path("soft.txt"), g_dir + "/./same.txt"}) {
        check::current = "same file as " + t;
        CHECK(createdicdll(src.c_str(), t.c_str(), nullptr, 0, nullptr, nullptr) == BRENVIK_TARGET_NOT_OPENED);
        CHECK(dictcheck::readFile(src) == text);
    }
    check::current.clear();
    ::unlink(path("hard.txt").c_str());
    ::unlink(path("soft.txt").c_str());
    ::unlink(src.c_str());
}

void testFailedBuildKeepsTarget()
{
    // A failed build leaves an existing dictionary and nothing else behind.
    const std::string dir = path("keep");
    ::mkdir(dir.c_str(), 0755);
    const std::string target = dir + "/dict.slo", old = "old\r\n5 dictionary\r\n";
    writeFile(target, old);
    writeFile(path("short.txt"), "a b c");
    writeFile(path("empty.txt"), "");
    CHECK(createdicdll(path("short.txt").c_str(), target.c_str(), " ", 2, nullptr, nullptr) ==
          BRENVIK_DICTIONARY_EMPTY);
    CHECK(createdicdll(path("empty.txt").c_str(), target.c_str(), nullptr, 2, nullptr, nullptr) ==
          BRENVIK_SOURCE_EMPTY);
    CHECK(dictcheck::readFile(target) == old);
    CHECK(listDir(dir) == std::vector<std::string>{"dict.slo"});

    // A successful one replaces it, again without leftovers.
    CHECK(createdicdll(path("short.txt").c_str(), target.c_str(), nullptr, 0, nullptr, nullptr) == 0);
    CHECK(dictcheck::readFile(target) == "\r\n1 a b c\r\n");
    CHECK(listDir(dir) == std::vector<std::string>{"dict.slo"});
    ::unlink(target.c_str());
    ::rmdir(dir.c_str());
}

void testLoadsBackLikeReference()
{
    // Small, middle-sized (words across reading steps) and big enough for
    // the second thread; plus raw random bytes.
    struct Row {
        const char *name;
        std::string text;
        std::string notation;
        int minimum;
    };
    std::string noise(300000, '\0');
    std::mt19937 rng(7);
    for (auto &c : noise)
        c = static_cast<char>(rng());
    // Words of 14..18 letters, around the longest word kept by its bytes, each
    // in several case forms that both readers meet and must make one entry.
    std::string edge;
    {
        std::mt19937 r(9);
        std::vector<std::string> stems;
        for (int k = 0; k < 300; ++k) {
            std::string w;
            const int n = 14 + int(r() % 5);
            for (int i = 0; i < n; ++i)
                w.push_back(static_cast<char>(r() % 2 ? 'a' + r() % 3 : 0xE0 + r() % 3));
            stems.push_back(w);
        }
        while (edge.size() < (3u << 20)) {
            std::string w = stems[r() % stems.size()];
            for (auto &c : w)
                if (r() % 4 == 0)
                    c = static_cast<char>(c - 32); // 'a'..'c' to 'A'..'C', 'а'..'в' to 'А'..'В'
            edge += w;
            edge += r() % 7 ? " " : "\r\n";
        }
    }
    const std::vector<Row> rows = {
        {"small", sampleText(500, 1), kDefault, 0},
        {"middle", sampleText(200000, 2), kDefault, 3},
        {"big", sampleText(12u << 20, 3), kDefault, 1},
        {"case forms around the short-word length, both threads", edge, kDefault, 15},
        {"random bytes", noise, "^ ab", 0},
        {"random bytes, no delimiters", noise, "", 0},
    };
    for (const auto &row : rows) {
        check::current = std::string("load back: ") + row.name;
        std::string file;
        CHECK(build(row.text, row.notation, row.minimum, &file) == 0);
        const auto d = dictcheck::load(file);
        CHECK(d.ok);
        CHECK(d.header == row.notation);
        const auto expected = dictcheck::reference(row.text, row.notation, row.minimum);
        CHECK(d.lines.size() == expected.size());
        CHECK(d.lines == expected);
        // CR LF after every line, and nothing else ends one.
        size_t crlf = 0;
        for (size_t k = 0; k + 1 < file.size(); ++k)
            crlf += file[k] == '\r' && file[k + 1] == '\n';
        CHECK(crlf == expected.size() + 1);
    }
    check::current.clear();
}

void testLongWord()
{
    // A text without a delimiter is one word, however long.
    std::string text(5u << 20, 'Q');
    text[12345] = '\xC9';
    std::string file;
    CHECK(build(text, kDefault, 4, &file) == 0);
    const auto d = dictcheck::load(file);
    CHECK(d.lines.size() == 1);
    std::string expected(5u << 20, 'q');
    expected[12345] = '\xE9';
    CHECK(!d.lines.empty() && d.lines[0].word == expected && d.lines[0].count == 1);

    // Long words between short ones, counted like any other.
    const std::string big(3u << 20, 'z');
    CHECK(build("a " + big + " b " + big + "\r\nc", kDefault, 0, &file) == 0);
    const std::vector<Line> lines = {{2, big}, {1, "a"}, {1, "b"}, {1, "c"}};
    CHECK(dictcheck::load(file).lines == lines);
}

void testLongSpecification()
{
    std::string notation;
    for (int k = 0; k < 5000; ++k)
        notation.push_back(k % 3 == 0 ? '^' : static_cast<char>(33 + k % 60));
    std::string file;
    const std::string text = sampleText(20000, 4);
    CHECK(build(text, notation, 0, &file) == 0);
    const auto d = dictcheck::load(file);
    CHECK(d.header == notation);
    CHECK(d.lines == dictcheck::reference(text, notation, 0));
}

struct ProgressLog {
    std::vector<int> values[2];
    pthread_t thread;
    bool otherThread = false;
};
ProgressLog g_log;
void logProgress(int which, int32_t v)
{
    g_log.values[which].push_back(v);
    g_log.otherThread = g_log.otherThread || !pthread_equal(pthread_self(), g_log.thread);
}
void progress1(int32_t v) { logProgress(0, v); }
void progress2(int32_t v) { logProgress(1, v); }

void testProgress()
{
    for (size_t size : {size_t(40), size_t(300000), size_t(20u << 20)}) {
        check::current = "progress, " + std::to_string(size) + " bytes";
        g_log = ProgressLog{};
        g_log.thread = pthread_self();
        writeFile(path("src.txt"), sampleText(size, 5));
        CHECK(createdicdll(path("src.txt").c_str(), path("out.slo").c_str(), kDefault.c_str(), 0, progress1,
                           progress2) == 0);
        CHECK(!g_log.otherThread);
        for (const auto &v : g_log.values) {
            // 0 first, 100 last, never back, never a percent skipped.
            CHECK(!v.empty() && v.front() == 0 && v.back() == 100);
            for (size_t k = 1; k < v.size(); ++k)
                CHECK(v[k] == v[k - 1] + 1);
        }
    }
    check::current = "progress, failures";
    g_log = ProgressLog{};
    g_log.thread = pthread_self();
    CHECK(build("", kDefault, 0) == BRENVIK_SOURCE_EMPTY);
    writeFile(path("src.txt"), "a");
    CHECK(createdicdll(path("src.txt").c_str(), path("out.slo").c_str(), nullptr, 5, progress1, progress2) ==
          BRENVIK_DICTIONARY_EMPTY);
    CHECK(g_log.values[1].empty());
    check::current.clear();
}

std::atomic<bool> g_holding{false};
std::atomic<int> g_reports{0};
void holdingProgress(int32_t v)
{
    ++g_reports;
    if (v == 50) { // the caller holds the job here for a while
        g_holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        g_holding = false;
    }
}

void testConcurrentBuildsOfOneTarget()
{
    // Two builds of the same target at once: both succeed, and the target is
    // one whole dictionary, never a mix of the two.
    const std::string a = path("a.txt"), b = path("b.txt"), target = path("both.slo");
    const std::string textA = sampleText(9u << 20, 11), textB = sampleText(9u << 20, 12);
    writeFile(a, textA);
    writeFile(b, textB);
    int32_t ra = -1, rb = -1;
    std::thread ta([&] { ra = createdicdll(a.c_str(), target.c_str(), "A", 0, holdingProgress, nullptr); });
    std::thread tb([&] { rb = createdicdll(b.c_str(), target.c_str(), "B", 0, nullptr, holdingProgress); });
    ta.join();
    tb.join();
    CHECK(ra == 0 && rb == 0);
    const auto d = dictcheck::load(dictcheck::readFile(target));
    CHECK(d.header == "A" || d.header == "B");
    CHECK(d.lines == dictcheck::reference(d.header == "A" ? textA : textB, d.header, 0));
    CHECK(g_reports.load() > 0 && g_reports.load() <= 2 * 101);
    for (const auto &name : listDir(g_dir))
        CHECK(name.find(".tmp") == std::string::npos);
    ::unlink(a.c_str());
    ::unlink(b.c_str());
    ::unlink(target.c_str());
}

pid_t deadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

void killedAtHalf(int32_t v)
{
    if (v >= 50)
        ::raise(SIGKILL);
}

void testKilledBuildLeavesNothing()
{
    // A build killed part-way leaves no file in the dictionary folder, and a
    // named left-over of a build that is gone is removed by the next build,
    // while one of a running build is kept.
    const std::string dir = path("killed");
    ::mkdir(dir.c_str(), 0755);
    const std::string source = dir + "/src.txt", target = dir + "/out.slo";
    writeFile(source, sampleText(4u << 20, 21));
    const pid_t child = ::fork();
    if (child == 0) {
        createdicdll(source.c_str(), target.c_str(), " ", 0, killedAtHalf, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    CHECK(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    CHECK(listDir(dir) == std::vector<std::string>{"src.txt"});

    const std::string stale = ".brenvik-" + std::to_string(deadProcess()) + "-00000000000000aa.tmp";
    const std::string legacy = ".brenvik-00000000000000bb.tmp";
    const std::string live = ".brenvik-" + std::to_string(::getpid()) + "-00000000000000cc.tmp";
    for (const auto &name : {stale, legacy, live})
        writeFile(dir + "/" + name, "");
    CHECK(createdicdll(source.c_str(), target.c_str(), " ", 0, nullptr, nullptr) == BRENVIK_OK);
    auto names = listDir(dir);
    std::sort(names.begin(), names.end());
    CHECK((names == std::vector<std::string>{live, "out.slo", "src.txt"}));
    for (const auto &name : listDir(dir))
        ::unlink((dir + "/" + name).c_str());
    ::rmdir(dir.c_str());
}

} // namespace

int main()
{
    if (!testfiles::makeDir("tst_brenvik"))
        return 2;

    const check::Case tests[] = {
        {"lower-case table", testLowerCaseTable},
        {"file format", testFileFormat},
        {"escapes", testEscapes},
        {"line ends always split", testLineEndsAlwaysSplit},
        {"header with line ends", testHeaderWithLineEnds},
        {"minimum length", testMinimumLength},
        {"results", testResults},
        {"same file refused", testSameFileRefused},
        {"failed build keeps target", testFailedBuildKeepsTarget},
        {"loads back like reference", testLoadsBackLikeReference},
        {"long word", testLongWord},
        {"long delimiter specification", testLongSpecification},
        {"progress", testProgress},
        {"concurrent builds of one target", testConcurrentBuildsOfOneTarget},
        {"killed build leaves nothing", testKilledBuildLeavesNothing},
    };
    const int status = check::runTests(tests);
    testfiles::removeDir();
    return status;
}
