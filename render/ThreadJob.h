#pragma once
// CThreadJob runs one job body (Run) on a worker thread of its own, carries
// the owner's abort request and reports to the owner through a notifier.
//
// Lifetime: a job is always held by std::shared_ptr and its worker thread
// keeps a reference until Run has returned, so an owner that gives up after
// the bounded wait (StopJob) may drop its reference at once: nothing the
// worker uses is freed under it.

#include <atomic>
#include <memory>
#include <thread>

// Progress message a job posts: wParam > 0 columns finished, 0 finished, -1 aborted.
constexpr unsigned WM_USER_BASE = 0x0400;
constexpr unsigned WM_CALC_PROGRESS = WM_USER_BASE + 300;
constexpr unsigned WM_REFRESH_VIEW = WM_USER_BASE + 301;

// Delivers a job's notifications to its owner. Post is called on the worker
// thread; it must not call into the owner directly but queue the message for
// the owner's thread, in order. It returns false when the owner is gone.
class JobNotifier {
public:
    virtual ~JobNotifier() = default;
    virtual bool Post(unsigned message, long wParam, long lParam) = 0;
    // Called when Post failed: the program's default beep.
    virtual void Beep() {}
};

class CThreadJob : public std::enable_shared_from_this<CThreadJob> {
public:
    virtual ~CThreadJob();

    virtual int Run() = 0;

    // Records the notifier and message (nullptr or 0: nothing is posted),
    // clears the abort flag and the result and starts the worker. Returns 1
    // when the thread was created, 0 otherwise. The job must be owned by a
    // std::shared_ptr and must not be running.
    int Start(std::shared_ptr<JobNotifier> notifier, unsigned message);
    void SetAbort(int value) { m_bAbort.store(value, std::memory_order_relaxed); }
    bool IsRunning() const { return m_pThread.load(std::memory_order_acquire) != nullptr; }
    // Posts through the notifier when both notifier and message are set; beeps when that fails.
    void PostProgress(long wParam, long lParam);

    unsigned m_nMessage = 0;
    std::atomic<int> m_nResult{0};
    std::atomic<int> m_bAbort{0};
    std::shared_ptr<JobNotifier> m_pNotifier;
    // Non-null while the worker runs; the worker clears it as its last action.
    std::atomic<std::thread*> m_pThread{nullptr};

protected:
    // Hook for jobs that prepare on the owner's thread before the worker starts
    // (copying what the worker reads). Returning false makes Start fail.
    virtual bool Prepare() { return true; }

private:
    static void ThreadProc(std::shared_ptr<CThreadJob> job);
    std::unique_ptr<std::thread> m_thread;
};

// The owner's way to stop a job: set the abort flag, then wait while the
// worker runs, at most 30 times 50 ms. Returns true when the worker ended.
bool StopJob(CThreadJob& job);
constexpr int kStopWaits = 30;
constexpr int kStopWaitMs = 50;
