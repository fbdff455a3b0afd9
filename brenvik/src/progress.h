#pragma once

#include "brenvik.h"

#include <algorithm>
#include <cstdint>

namespace brenvik {

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

inline int percentOf(uint64_t part, uint64_t whole)
{
    return whole ? int(part * 100 / whole) : 100;
}

} // namespace brenvik
