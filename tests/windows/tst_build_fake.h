#pragma once

// A stand-in for the library's build call, driven step by step by a test:
// each call waits for commands (report a value, report from a thread of its
// own, return a result) that the test sends to it by the call's number.
#include "Unit4.h"
#include "textdict/build.h"

#include <QTest>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class FakeLibrary
{
public:
    struct Command
    {
        enum Kind { Report, ReportElsewhere, ReportBurst, Return } kind;
        int gauge = 1;
        int32_t value = 0;
    };
    struct Call
    {
        QByteArray source, target, delimiters;
        bool delimitersNull = false;
        int32_t minimum = -1;
        brenvik_progress progress[2] = {nullptr, nullptr};
        std::deque<Command> commands;
        int done = 0;          // commands carried out
        bool inReport = false; // inside a progress callback
        bool returned = false;
    };

    FakeLibrary()
    {
        s_instance = this;
        textdict::setBuildFunction(&build);
    }
    ~FakeLibrary()
    {
        releaseAll();
        textdict::setBuildFunction(nullptr);
        s_instance = nullptr;
    }

    // Every later call returns this at once.
    void returnAtOnce(std::optional<int32_t> result) { std::lock_guard l(m_mutex); m_immediate = result; }

    int count() { std::lock_guard l(m_mutex); return int(m_calls.size()); }
    Call call(int i) { std::lock_guard l(m_mutex); return *m_calls.at(i); }

    void send(int i, Command c)
    {
        { std::lock_guard l(m_mutex); m_calls.at(i)->commands.push_back(c); }
        m_cv.notify_all();
    }
    void report(int i, int gauge, int32_t value) { send(i, {Command::Report, gauge, value}); }
    void finish(int i, int32_t result) { send(i, {Command::Return, 0, result}); }

    // Waits, processing events, until call i has carried out n commands.
    bool waitDone(int i, int n, int ms = 5000)
    {
        return QTest::qWaitFor([&] { std::lock_guard l(m_mutex); return i < int(m_calls.size()) && m_calls[i]->done >= n; }, ms);
    }
    bool waitCalls(int n, int ms = 5000) { return QTest::qWaitFor([&] { return count() >= n; }, ms); }
    bool waitInReport(int i, int ms = 5000)
    {
        return QTest::qWaitFor([&] { std::lock_guard l(m_mutex); return m_calls.at(i)->inReport; }, ms);
    }

    // Lets every call return 0 and every paused job go on, and waits until
    // all jobs have ended, so no test leaves a thread behind.
    void releaseAll()
    {
        {
            std::lock_guard l(m_mutex);
            m_immediate = 0;
            for (auto &c : m_calls)
                if (!c->returned)
                    c->commands.push_back({Command::Return, 0, 0});
        }
        m_cv.notify_all();
        for (const auto &job : TThread1::jobs())
            job->resume();
        if (!QTest::qWaitFor([] { return !anyBuildRunning(); }, 10000))
            qWarning("a build job did not end");
    }

private:
    static int32_t build(const char *source, const char *target, const char *delimiters, int32_t minimum,
                         brenvik_progress p1, brenvik_progress p2)
    {
        FakeLibrary &f = *s_instance;
        auto call = std::make_shared<Call>();
        call->source = source;
        call->target = target;
        call->delimiters = delimiters;
        call->delimitersNull = delimiters == nullptr;
        call->minimum = minimum;
        call->progress[0] = p1;
        call->progress[1] = p2;
        std::unique_lock l(f.m_mutex);
        f.m_calls.push_back(call);
        if (f.m_immediate) {
            call->returned = true;
            return *f.m_immediate;
        }
        for (;;) {
            f.m_cv.wait(l, [&] { return !call->commands.empty(); });
            const Command c = call->commands.front();
            call->commands.pop_front();
            if (c.kind == Command::Return) {
                call->returned = true;
                ++call->done;
                return c.value;
            }
            call->inReport = true;
            l.unlock();
            const brenvik_progress p = call->progress[c.gauge - 1];
            if (c.kind == Command::Report) {
                p(c.value);
            } else if (c.kind == Command::ReportBurst) {
                for (int32_t v = 0; v <= c.value; ++v)
                    p(v);
            } else {
                std::thread([p, v = c.value] { p(v); }).join();
            }
            l.lock();
            call->inReport = false;
            ++call->done;
        }
    }

    static inline FakeLibrary *s_instance = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::shared_ptr<Call>> m_calls;
    std::optional<int32_t> m_immediate;
};
