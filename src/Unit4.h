#pragma once

#include "textdict/build.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The build request, set by the dictionary window's create command.
extern QString SrcFile;
extern QString DstFile;
extern QString Delims;

// True while a build job is still inside the library (running or paused) or
// its end has not yet been handled on the UI thread.
bool anyBuildRunning();

// The message box text for a library result other than 0.
QString buildResultMessage(int32_t result, const QString &srcFile, const QString &dstFile);

// One dictionary build: a single library call made on a thread of its own.
// The job never touches a widget. Progress and the end are handed to the UI
// thread with queued calls; the UI thread never waits for the job.
//
// Pausing holds the job at its next progress report (it waits on a condition
// variable there) instead of suspending the thread at an arbitrary point,
// which could leave a lock inside the library taken.
//
// The job keeps itself alive (shared ownership) until its end has been handled
// on the UI thread, so windows may come and go while it runs.
class TThread1 : public std::enable_shared_from_this<TThread1>
{
public:
    struct Request
    {
        QString srcFile; // as the messages show them
        QString dstFile;
        QByteArray source; // library bytes
        QByteArray target;
        QByteArray delimiters;
        int32_t minimum = 0;
    };

    // Called on the UI thread only.
    struct Events
    {
        // A progress value for gauge 1 or 2.
        std::function<void(TThread1 &job, int gauge, int32_t value)> progress;
        // The library call has returned; runs before the result's message.
        std::function<void(TThread1 &job, int32_t result)> returned;
    };

    // The request of SrcFile, DstFile and Delims with the given minimum word
    // length (brought into 0..20). Throws ZarvoError when the delimiter
    // delimiter specification holds a character Windows-1251 cannot hold.
    static Request currentRequest(int minimum);

    // Creates the job and starts its thread, already running. Throws when the
    // thread cannot be created (no job exists then).
    static std::shared_ptr<TThread1> start(Request request, Events events);

    // Pause and continue, UI thread. A paused job stops at its next progress report.
    void pause();
    void resume();
    bool paused() const;

    // The library call has returned.
    bool returned() const { return m_returned.load(); }
    // The end has been handled on the UI thread; the job does nothing more.
    bool finished() const { return m_finished.load(); }

    // Set when the window closes. Nothing reads it: the library call cannot
    // be interrupted.
    void requestStop() { m_stopRequested.store(true); }
    bool stopRequested() const { return m_stopRequested.load(); }

    const Request &request() const { return m_request; }

    // The job whose thread is calling; null on any other thread.
    static TThread1 *current();
    // Job thread: waits while paused, then hands the value to the UI thread.
    void report(int gauge, int32_t value);

    // The jobs not yet finished, oldest first.
    static std::vector<std::shared_ptr<TThread1>> jobs();

    // How job threads are created (tests make it fail). The default runs the
    // body on a detached std::thread; it throws when no thread can be made.
    using ThreadStarter = void (*)(std::function<void()> body);
    static void setThreadStarter(ThreadStarter starter); // null: the default

    TThread1(Request request, Events events, textdict::BuildFunction function); // use start()

protected:
    // The thread's body: the library call, then the hand-over of its result.
    void Execute();

private:
    void deliverProgress(int gauge);
    void finish(int32_t result);

    // The job thread's reference, moved into the hand-over of the result so
    // that the job is always released on the UI thread.
    std::shared_ptr<TThread1> m_keepAlive;

    const Request m_request;
    const Events m_events;
    const textdict::BuildFunction m_function;

    mutable std::mutex m_mutex;
    std::condition_variable m_resumed;
    bool m_paused = false; // guarded by m_mutex

    std::atomic<bool> m_returned{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stopRequested{false};

    // Progress coalescing: the newest value of each gauge, and whether a
    // hand-over is already queued for it, so a library that reports very often
    // cannot flood the UI thread's queue.
    std::atomic<int32_t> m_value[2] = {0, 0};
    std::atomic<bool> m_queued[2] = {false, false};
};
