#include "BatchNoticeQueue.h"

#include "BatchRun.h"

namespace {

class QueueNotifier : public JobNotifier {
public:
    QueueNotifier(std::shared_ptr<BatchNoticeQueue> queue, uint64_t ticket, bool withProgress)
        : m_pQueue(std::move(queue)), m_nTicket(ticket), m_bWithProgress(withProgress)
    {
    }
    bool Post(const JobNotice& notice) override
    {
        if (m_bWithProgress || notice.IsEnd())
            m_pQueue->Push(m_nTicket, notice);
        return true;
    }

private:
    std::shared_ptr<BatchNoticeQueue> m_pQueue;
    uint64_t m_nTicket;
    bool m_bWithProgress;
};

}  // namespace

std::shared_ptr<JobNotifier> BatchNoticeQueue::NotifierFor(uint64_t ticket, bool withProgress)
{
    return std::make_shared<QueueNotifier>(shared_from_this(), ticket, withProgress);
}

void BatchNoticeQueue::Push(uint64_t ticket, const JobNotice& notice)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.emplace_back(ticket, notice);
    m_ready.notify_one();
}

bool BatchNoticeQueue::Next(uint64_t& ticket, JobNotice& notice, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_ready.wait_for(lock, timeout, [this] { return !m_queue.empty(); }))
        return false;
    ticket = m_queue.front().first;
    notice = m_queue.front().second;
    m_queue.pop_front();
    return true;
}

bool BatchNoticeQueue::Deliver(CBatchRun& run, std::chrono::milliseconds timeout)
{
    uint64_t ticket = 0;
    JobNotice notice;
    if (!Next(ticket, notice, timeout))
        return false;
    run.OnJobNotice(ticket, notice);
    return true;
}
