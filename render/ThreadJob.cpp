#include "ThreadJob.h"

#include <chrono>
#include <system_error>

CThreadJob::~CThreadJob()
{
    // The last reference may be dropped by the worker itself as its thread
    // procedure returns; a thread cannot join itself, so it is let go then.
    // Otherwise the worker has already cleared m_pThread and released its
    // reference, and the join only waits for the last few instructions.
    if (m_thread && m_thread->joinable()) {
        if (m_thread->get_id() == std::this_thread::get_id())
            m_thread->detach();
        else
            m_thread->join();
    }
}

int CThreadJob::Start(std::shared_ptr<JobNotifier> notifier, unsigned message)
{
    if (IsRunning())
        return 0;
    std::shared_ptr<CThreadJob> self = weak_from_this().lock();
    if (!self)
        return 0;  // not held by a shared_ptr: nothing could keep it alive for the worker
    // A finished run's thread may still be on its way out.
    if (m_thread && m_thread->joinable())
        m_thread->join();

    m_pNotifier = std::move(notifier);
    m_nMessage = message;
    m_bAbort.store(0, std::memory_order_relaxed);
    m_nResult.store(0, std::memory_order_relaxed);
    if (!Prepare())
        return 0;

    // m_pThread is set before the worker exists so that the worker's final
    // clearing can never be overtaken by this store.
    m_thread = std::make_unique<std::thread>();
    m_pThread.store(m_thread.get(), std::memory_order_release);
    try {
        *m_thread = std::thread(&CThreadJob::ThreadProc, std::move(self));
    } catch (const std::system_error&) {
        m_pThread.store(nullptr, std::memory_order_release);
        m_thread.reset();
        return 0;
    }
    return 1;
}

void CThreadJob::ThreadProc(std::shared_ptr<CThreadJob> job)
{
    int result = 0;
    try {
        result = job->Run();
    } catch (...) {
        // A job body reports its failures as 0; nothing may escape a thread.
        result = 0;
    }
    job->m_nResult.store(result, std::memory_order_relaxed);
    job->m_pThread.store(nullptr, std::memory_order_release);
    // job is released here: if the owner has let go, the job ends on this thread.
}

void CThreadJob::PostProgress(long wParam, long lParam)
{
    if (!m_pNotifier || m_nMessage == 0)
        return;
    if (!m_pNotifier->Post(m_nMessage, wParam, lParam))
        m_pNotifier->Beep();
}

bool StopJob(CThreadJob& job)
{
    job.SetAbort(1);
    for (int waits = 0; waits < kStopWaits && job.IsRunning(); ++waits)
        std::this_thread::sleep_for(std::chrono::milliseconds(kStopWaitMs));
    return !job.IsRunning();
}
