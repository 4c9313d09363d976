#include "ThreadJob.h"

#include <chrono>
#include <new>

CThreadJob::~CThreadJob()
{
    // The last reference may be dropped by the worker itself as its thread
    // procedure returns; a thread cannot join itself, so it is let go then.
    // Otherwise the worker has already cleared m_pThread and released its
    // reference, and the join only waits for the last few instructions.
    if (m_thread && m_thread->Joinable()) {
        if (m_thread->IsCurrentThread())
            m_thread->Detach();
        else
            m_thread->Join();
    }
}

int CThreadJob::Start(std::shared_ptr<JobNotifier> notifier)
{
    if (IsRunning())
        return 0;
    std::shared_ptr<CThreadJob> self = weak_from_this().lock();
    if (!self)
        return 0;  // not held by a shared_ptr: nothing could keep it alive for the worker
    // A finished run's thread may still be on its way out.
    if (m_thread && m_thread->Joinable())
        m_thread->Join();

    m_pNotifier = std::move(notifier);
    m_bAbort.store(0, std::memory_order_relaxed);
    m_nResult.store(0, std::memory_order_relaxed);
    if (!Prepare())
        return 0;

    // m_pThread is set before the worker exists so that the worker's final
    // clearing can never be overtaken by this store.
    try {
        m_thread = std::make_unique<CDeepStackThread>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_pThread.store(m_thread.get(), std::memory_order_release);
    if (!m_thread->Start([self = std::move(self)]() mutable { ThreadProc(std::move(self)); })) {
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
    {
        // Under the lock, so that a waiting owner cannot miss the wake-up.
        std::lock_guard<std::mutex> lock(job->m_endMutex);
        job->m_pThread.store(nullptr, std::memory_order_release);
    }
    job->m_ended.notify_all();
    // job is released here: if the owner has let go, the job ends on this thread.
}

bool CThreadJob::WaitUntilEnded(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(m_endMutex);
    return m_ended.wait_for(lock, limit, [this] { return !IsRunning(); });
}

void CThreadJob::Notify(const JobNotice& notice)
{
    if (m_pNotifier && !m_pNotifier->Post(notice))
        m_pNotifier->Beep();
}

bool StopJob(CThreadJob& job)
{
    job.SetAbort(1);
    return job.WaitUntilEnded(std::chrono::milliseconds(kStopWaits * kStopWaitMs));
}
