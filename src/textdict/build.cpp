#include "textdict/build.h"

#include <atomic>

namespace textdict {

namespace {
std::atomic<BuildFunction> g_function{&createdicdll};
}

BuildFunction buildFunction()
{
    return g_function.load();
}

void setBuildFunction(BuildFunction function)
{
    g_function.store(function ? function : &createdicdll);
}

int32_t build(BuildFunction function, const QByteArray &source, const QByteArray &target,
              const QByteArray &delimiters, int32_t minimum, brenvik_progress progress1,
              brenvik_progress progress2)
{
    // QByteArray::constData() is zero-terminated; an empty text travels as null.
    const auto text = [](const QByteArray &bytes) { return bytes.isEmpty() ? nullptr : bytes.constData(); };
    return function(text(source), text(target), text(delimiters), minimum, progress1, progress2);
}

} // namespace textdict
