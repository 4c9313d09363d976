#include "FrameProducer.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

namespace {
FrameSetup Checked(FrameSetup setup, int frames)
{
    setup.first = std::clamp(setup.first, 0, frames);
    setup.step = std::max(1, setup.step);
    return setup;
}
}  // namespace

FrameProducer::FrameProducer(const AnimationFrames& frames, const FrameSetup& setup, PictureRenderer renderer,
                             FrameStepFactory steps)
    : m_frames(frames), m_setup(Checked(setup, frames.Count())), m_renderer(std::move(renderer)),
      m_steps(std::move(steps)),
      m_count((frames.Count() - m_setup.first + m_setup.step - 1) / m_setup.step),
      m_ahead(2 * std::max(1, setup.threads > 0 ? setup.threads : int(std::thread::hardware_concurrency()))),
      m_nextToCompute(0), m_nextToHand(0)
{
    const int threads = std::min(m_ahead / 2, std::max(1, m_count));
    for (int t = 0; t < threads; ++t) {
        try {
            FrameStep step = m_steps ? m_steps() : FrameStep();
            if (m_steps && !step)
                break;
            m_workers.emplace_back([this, step = std::move(step)] { Work(step); });
        } catch (const std::system_error&) {
            break;  // fewer threads share the frames
        }
    }
    if (m_workers.empty()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failed = true;
    }
}

FrameProducer::~FrameProducer()
{
    Abort();
    for (std::thread& worker : m_workers)
        worker.join();
}

void FrameProducer::Abort()
{
    m_abort.store(1);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();
}

void FrameProducer::Work(FrameStep step)
{
    AnimationFrame frame;
    for (;;) {
        int k;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_abort.load() || m_failed || m_nextToCompute >= m_count ||
                       m_nextToCompute < m_nextToHand + m_ahead;
            });
            if (m_abort.load() || m_failed || m_nextToCompute >= m_count)
                return;
            k = m_nextToCompute++;
        }
        bool ok = false;
        Picture picture;
        std::string packet;
        try {
            if (m_frames.Frame(FrameOf(k), frame) && picture.Create(m_setup.width, m_setup.height)) {
                RenderRequest request;
                request.evaluator = &m_evaluator;
                request.root = frame.tree.Root();
                request.target = &picture;
                request.source = m_setup.source.get();
                request.antiAlias = m_setup.antiAlias;
                request.view = frame.view;
                request.threads = 1;  // the frames are the parallel work
                request.abort = &m_abort;
                ok = m_renderer(request) == 1;
            }
            if (ok && step)
                ok = step(picture, packet);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (ok)
            m_ready.emplace(k, Ready{std::move(picture), std::move(packet)});
        else if (!m_abort.load())
            m_failed = true;
        m_changed.notify_all();
    }
}

FrameProducer::Result FrameProducer::Next(Picture& out, int* index, std::string* packet)
{
    if (m_setup.abort && m_setup.abort->load())
        Abort();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_nextToHand >= m_count)
        return Result::Done;
    // The owner's flag is looked at now and then: it cannot wake this wait.
    while (!m_changed.wait_for(lock, std::chrono::milliseconds(50), [&] {
        return m_abort.load() || m_failed || m_ready.count(m_nextToHand) != 0;
    })) {
        if (m_setup.abort && m_setup.abort->load()) {
            m_abort.store(1);
            break;
        }
    }
    if (m_abort.load())
        return Result::Aborted;
    if (m_ready.count(m_nextToHand) == 0)
        return Result::Failed;
    auto it = m_ready.find(m_nextToHand);
    out = std::move(it->second.picture);
    if (packet)
        *packet = std::move(it->second.packet);
    m_ready.erase(it);
    if (index)
        *index = FrameOf(m_nextToHand);
    ++m_nextToHand;
    m_changed.notify_all();
    return Result::Ready;
}
