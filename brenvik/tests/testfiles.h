#pragma once

// Files and text shared by the library's test programs: one temporary
// folder per program, whole-file writes and a sample text.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfiles {

inline std::string g_dir;

inline std::string path(const std::string &name)
{
    return g_dir + "/" + name;
}

inline void writeFile(const std::string &p, const std::string &bytes)
{
    FILE *f = std::fopen(p.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline bool exists(const std::string &p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

inline std::vector<std::string> listDir(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

inline const std::string kDefault = "+-*/;.\" ',!?()[]{}^p^t";

// Text with many repeated and some rare words, mixed case, both alphabets.
inline std::string sampleText(size_t bytes, unsigned seed)
{
    static const char *words[] = {"the",
                                  "The",
                                  "and",
                                  "word",
                                  "WORD",
                                  "\xC4\xEE\xEC",
                                  "\xE4\xEE\xEC",
                                  "\xA8\xEB\xEA\xE0",
                                  "\xB8\xEB\xEA\xE0",
                                  "of",
                                  "x",
                                  "dictionary"};
    static const char *seps[] = {" ", ", ", ".\r\n", "\t", "  ", "\n", "; ", "!"};
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < bytes) {
        if (rng() % 8 == 0) {
            const int n = 1 + rng() % 12;
            for (int k = 0; k < n; ++k)
                text.push_back(static_cast<char>('a' + rng() % 26));
        } else {
            text += words[rng() % (sizeof words / sizeof *words)];
        }
        text += seps[rng() % (sizeof seps / sizeof *seps)];
    }
    return text;
}

// Makes the program's temporary folder under $TMPDIR (or /tmp).
inline bool makeDir(const char *name)
{
    const char *base = std::getenv("TMPDIR");
    std::string t = std::string(base && *base ? base : "/tmp") + "/" + name + ".XXXXXX";
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        std::perror("mkdtemp");
        return false;
    }
    g_dir = buf.data();
    return true;
}

inline void removeDir()
{
    for (const auto &n : listDir(g_dir))
        ::unlink((g_dir + "/" + n).c_str());
    ::rmdir(g_dir.c_str());
}

} // namespace testfiles
