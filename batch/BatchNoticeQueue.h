#pragma once
// A run's job notices for a program without an event loop (quil-cli, tests):
// the jobs' notifiers queue each notice with its ticket, and the owner's
// thread takes them in order and hands them to CBatchRun::OnJobNotice.

#include "render/ThreadJob.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

class CBatchRun;

class BatchNoticeQueue : public std::enable_shared_from_this<BatchNoticeQueue> {
public:
    // A notifier for the job with this ticket. Without progress, only the end
    // notices are queued (a wake-up per ten columns that nobody shows costs time).
    std::shared_ptr<JobNotifier> NotifierFor(uint64_t ticket, bool withProgress);
    void Push(uint64_t ticket, const JobNotice& notice);
    // Waits up to timeout for the next notice.
    bool Next(uint64_t& ticket, JobNotice& notice, std::chrono::milliseconds timeout);
    // Hands the next notice (waiting up to timeout) to the run; false when none came.
    bool Deliver(CBatchRun& run, std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::pair<uint64_t, JobNotice>> m_queue;
};
