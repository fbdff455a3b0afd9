#include "Unit4.h"

#include "Unit3.h"

#include "controls/dialogs.h"
#include "core/cp1251.h"
#include "core/error.h"
#include "textdict/textdict.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <thread>

QString SrcFile;
QString DstFile;
QString Delims;

namespace {

// Jobs that are not finished. Touched on the UI thread; the mutex keeps
// anyBuildRunning() safe from anywhere.
std::mutex g_jobsMutex;
std::vector<std::shared_ptr<TThread1>> g_jobs;

thread_local TThread1 *t_currentJob = nullptr;

void startDetached(std::function<void()> body)
{
    std::thread(std::move(body)).detach();
}

std::atomic<TThread1::ThreadStarter> g_starter{&startDetached};

template <typename F>
void onUiThread(F &&f)
{
    // The application object lives until after the last job is finished or
    // the program has been left with _exit (see anyBuildRunning()).
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f), Qt::QueuedConnection);
}

} // namespace

bool anyBuildRunning()
{
    std::lock_guard lock(g_jobsMutex);
    return !g_jobs.empty();
}

QString buildResultMessage(int32_t result, const QString &srcFile, const QString &dstFile)
{
    switch (result) {
    case BRENVIK_SOURCE_NOT_FOUND:
        return QStringLiteral("Файл ") + srcFile + QStringLiteral(" не найден");
    case BRENVIK_TARGET_NOT_OPENED:
        return QStringLiteral("Файл ") + dstFile + QStringLiteral(" не открыт");
    case BRENVIK_SOURCE_EMPTY:
        return QStringLiteral("Размер файла ") + srcFile + QStringLiteral(" равен нулю");
    case BRENVIK_DICTIONARY_EMPTY:
        return QStringLiteral("Размер файла ") + dstFile + QStringLiteral(" будет равен нулю");
    default:
        return QStringLiteral("Неизвестная ошибка №") + QString::number(result);
    }
}

TThread1::Request TThread1::currentRequest(int minimum)
{
    Request r;
    r.srcFile = SrcFile;
    r.dstFile = DstFile;
    r.source = textdict::nativePath(SrcFile);
    r.target = textdict::nativePath(DstFile);
    qsizetype bad = -1;
    if (!cp1251::encode(Delims, r.delimiters, &bad))
        throw ZarvoError(QStringLiteral("Разделитель «%1» нельзя записать в кодировке Windows-1251")
                             .arg(Delims.mid(bad, Delims.at(bad).isHighSurrogate() ? 2 : 1)));
    r.minimum = std::clamp(minimum, 0, 20);
    return r;
}

TThread1::TThread1(Request request, Events events, textdict::BuildFunction function)
    : m_request(std::move(request)), m_events(std::move(events)), m_function(function)
{
}

std::shared_ptr<TThread1> TThread1::start(Request request, Events events)
{
    auto job = std::make_shared<TThread1>(std::move(request), std::move(events), textdict::buildFunction());
    job->m_keepAlive = job;
    try {
        g_starter.load()([self = job.get()] {
            t_currentJob = self;
            self->Execute(); // gives up the thread's reference: self may be gone now
            t_currentJob = nullptr;
        });
    } catch (...) {
        job->m_keepAlive.reset();
        throw;
    }
    std::lock_guard lock(g_jobsMutex);
    g_jobs.push_back(job);
    return job;
}

void TThread1::Execute()
{
    const int32_t result = textdict::build(m_function, m_request.source, m_request.target,
                                           m_request.delimiters, m_request.minimum, &OnProgress1, &OnProgress2);
    std::shared_ptr<TThread1> self = std::move(m_keepAlive);
    // The job's last write to itself: the UI thread reads this flag before it
    // handles the end, so the hand-over does not rest on Qt's event queue alone.
    m_returned.store(true, std::memory_order_release);
    onUiThread([job = std::move(self), result] { job->finish(result); });
}

void TThread1::finish(int32_t result)
{
    (void)m_returned.load(std::memory_order_acquire); // pairs with the store in Execute()
    m_finished.store(true);
    {
        std::lock_guard lock(g_jobsMutex);
        std::erase_if(g_jobs, [this](const auto &j) { return j.get() == this; });
    }
    if (m_events.returned)
        m_events.returned(*this, result); // closes the window if it still shows this job
    if (result != BRENVIK_OK)
        showError(buildResultMessage(result, m_request.srcFile, m_request.dstFile));
}

TThread1 *TThread1::current()
{
    return t_currentJob;
}

void TThread1::pause()
{
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void TThread1::resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_resumed.notify_all();
}

bool TThread1::paused() const
{
    std::lock_guard lock(m_mutex);
    return m_paused;
}

void TThread1::report(int gauge, int32_t value)
{
    if (gauge < 1 || gauge > 2)
        return;
    {
        std::unique_lock lock(m_mutex);
        m_resumed.wait(lock, [this] { return !m_paused; });
    }
    const int i = gauge - 1;
    m_value[i].store(value);
    if (!m_queued[i].exchange(true))
        onUiThread([job = shared_from_this(), gauge] { job->deliverProgress(gauge); });
}

void TThread1::deliverProgress(int gauge)
{
    const int i = gauge - 1;
    m_queued[i].store(false); // before the read: a newer value queues a new hand-over
    const int32_t value = m_value[i].load();
    if (m_events.progress)
        m_events.progress(*this, gauge, value);
}

std::vector<std::shared_ptr<TThread1>> TThread1::jobs()
{
    std::lock_guard lock(g_jobsMutex);
    return g_jobs;
}

void TThread1::setThreadStarter(ThreadStarter starter)
{
    g_starter.store(starter ? starter : &startDetached);
}
