#pragma once

// A minimal test runner for the library's tests, which link nothing but the
// library: CHECK counts a failure and says where, runTests runs the cases.
#include <cstdio>
#include <string>
#include <utility>

namespace check {

inline int failures = 0;
inline std::string current; // the case, or the row within it, that is running

#define CHECK(cond)                                                                    \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            ++check::failures;                                                         \
            std::fprintf(stderr, "FAIL %s:%d [%s] %s\n", __FILE__, __LINE__,            \
                         check::current.c_str(), #cond);                               \
        }                                                                              \
    } while (0)

using Case = std::pair<const char *, void (*)()>;

// Runs every case, printing PASS or FAIL for each; returns the exit status.
template <size_t N>
int runTests(const Case (&cases)[N])
{
    for (const auto &[title, fn] : cases) {
        const int before = failures;
        current = title;
        fn();
        std::printf("%s %s\n", failures == before ? "PASS" : "FAIL", title);
    }
    std::printf("%d failure(s)\n", failures);
    return failures ? 1 : 0;
}

} // namespace check
