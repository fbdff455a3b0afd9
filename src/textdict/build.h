#pragma once

// The build call of the text-to-dictionary library behind a replaceable
// function, so that tests can stand in for the library (fixed results, a
// build that waits or reports progress under the test's control).
#include <brenvik.h>

#include <QByteArray>

#include <cstdint>

namespace textdict {

using BuildFunction = int32_t (*)(const char *source, const char *target, const char *delimiters,
                                  int32_t minimum, brenvik_progress progress1, brenvik_progress progress2);

// The function builds call; the library's createdicdll unless replaced.
BuildFunction buildFunction();
// Replaces it; null puts the library's back. Takes effect for builds that start afterwards.
void setBuildFunction(BuildFunction function);

// One library build call. Paths are native path bytes, the delimiter
// delimiter specification Windows-1251 bytes; an empty delimiter specification goes as a null
// pointer. Blocks until the build is over.
int32_t build(BuildFunction function, const QByteArray &source, const QByteArray &target,
              const QByteArray &delimiters, int32_t minimum, brenvik_progress progress1,
              brenvik_progress progress2);

} // namespace textdict
