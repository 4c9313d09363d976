#pragma once
// CThreadJob runs one job body (Run) on a worker thread of its own, carries
// the owner's abort request and reports to the owner through a notifier. The
// worker has a deep stack (CDeepStackThread): a job body may recurse over a
// tree of the deepest accepted shape.
//
// Lifetime: a job is always held by std::shared_ptr and its worker thread
// keeps a reference until Run has returned, so an owner that gives up after
// the bounded wait (StopJob) may drop its reference at once: nothing the
// worker uses is freed under it.

#include "engine/DeepStackThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// What a job tells its owner, in this order: progress any number of times,
// then exactly one end (finished or aborted).
struct JobNotice {
    enum class Kind { Progress, Finished, Aborted };
    Kind kind = Kind::Finished;
    int columns = 0;  // Progress: the number of leading columns finished

    static JobNotice Progress(int columns) { return {Kind::Progress, columns}; }
    static JobNotice Finished() { return {Kind::Finished, 0}; }
    static JobNotice Aborted() { return {Kind::Aborted, 0}; }
    bool IsEnd() const { return kind != Kind::Progress; }
    // The notice as one number: columns finished (> 0), 0 finished, -1 aborted.
    long Code() const { return kind == Kind::Progress ? columns : (kind == Kind::Finished ? 0 : -1); }
};

// Delivers a job's notices to its owner. Post is called on the worker thread;
// it must not call into the owner directly but queue the notice for the
// owner's thread, in order. It returns false when the owner is gone.
class JobNotifier {
public:
    virtual ~JobNotifier() = default;
    virtual bool Post(const JobNotice& notice) = 0;
    // Called when Post failed: the program's default beep.
    virtual void Beep() {}
};

class CThreadJob : public std::enable_shared_from_this<CThreadJob> {
public:
    virtual ~CThreadJob();

    virtual int Run() = 0;

    // Records the notifier (nullptr: nothing is posted), clears the abort
    // flag and the result and starts the worker. Returns 1 when the thread
    // was created, 0 otherwise. The job must be owned by a std::shared_ptr and
    // must not be running.
    int Start(std::shared_ptr<JobNotifier> notifier);
    void SetAbort(int value) { m_bAbort.store(value, std::memory_order_relaxed); }
    bool IsRunning() const { return m_pThread.load(std::memory_order_acquire) != nullptr; }
    // Waits until the worker has ended or the time is up; true when it has ended.
    bool WaitUntilEnded(std::chrono::milliseconds limit);
    // Posts through the notifier when there is one; beeps when that fails.
    void Notify(const JobNotice& notice);

    std::atomic<int> m_nResult{0};
    std::atomic<int> m_bAbort{0};
    std::shared_ptr<JobNotifier> m_pNotifier;
    // Non-null while the worker runs; the worker clears it as its last action.
    std::atomic<CDeepStackThread*> m_pThread{nullptr};

protected:
    // Hook for jobs that prepare on the owner's thread before the worker starts
    // (copying what the worker reads). Returning false makes Start fail.
    virtual bool Prepare() { return true; }

private:
    static void ThreadProc(std::shared_ptr<CThreadJob> job);
    std::unique_ptr<CDeepStackThread> m_thread;
    std::mutex m_endMutex;
    std::condition_variable m_ended;
};

// The owner's way to stop a job: set the abort flag, then wait while the
// worker runs, at most 30 times 50 ms (1.5 s). Returns true when the worker ended.
bool StopJob(CThreadJob& job);
constexpr int kStopWaits = 30;
constexpr int kStopWaitMs = 50;
