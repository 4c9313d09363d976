#pragma once
// Computes the frames of an animation on several threads, a whole frame per
// thread (as the batch computes pictures), and hands them out in order. The
// workers stay at most a few frames ahead of the consumer, so memory holds a
// few frames whatever the animation's length.

#include "render/AnimationFrames.h"
#include "render/Picture.h"
#include "render/RenderRequest.h"

#include <atomic>
#include <functional>
#include <string>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct FrameSetup {
    int width = 0;
    int height = 0;
    bool antiAlias = false;
    std::shared_ptr<const Picture> source;  // what "PIC" reads; none reads black
    int threads = 0;                        // frames computed at once; 0: one per core
    int first = 0;                          // the first frame handed out
    int step = 1;                           // then every step-th frame after it
    const std::atomic<int>* abort = nullptr; // the owner's stop: nonzero aborts as Abort does
};

// Work a worker does on each frame it has computed, before the frame is
// handed out: an encoding of its own into packet. False is a failure.
using FrameStep = std::function<bool(Picture& frame, std::string& packet)>;
// Makes one FrameStep for each worker (each its own encoder state).
using FrameStepFactory = std::function<FrameStep()>;

class FrameProducer {
public:
    // frames must outlive the producer. Starts computing at once.
    FrameProducer(const AnimationFrames& frames, const FrameSetup& setup, PictureRenderer renderer,
                  FrameStepFactory steps = nullptr);
    ~FrameProducer();  // stops the workers and waits for them
    FrameProducer(const FrameProducer&) = delete;
    FrameProducer& operator=(const FrameProducer&) = delete;

    enum class Result { Ready, Done, Aborted, Failed };
    // Waits for the next frame in order and moves it into out; Done after
    // the last. Failed when a frame's tree could not be made or evaluated
    // (or there was no memory for it).
    // index: the frame's number in the animation.
    // packet: what the worker's FrameStep made of it.
    Result Next(Picture& out, int* index = nullptr, std::string* packet = nullptr);
    // How many frames Next hands out in all.
    int Count() const { return m_count; }
    // Stops every worker after its current pixel; Next then gives Aborted.
    void Abort();
    const std::atomic<int>& AbortFlag() const { return m_abort; }

private:
    void Work(FrameStep step);
    int FrameOf(int sequence) const { return m_setup.first + sequence * m_setup.step; }

    const AnimationFrames& m_frames;
    const FrameSetup m_setup;
    const PictureRenderer m_renderer;
    const FrameStepFactory m_steps;
    const CEvaluator m_evaluator;
    const int m_count;  // frames handed out in all; the producer counts them 0 .. m_count - 1
    const int m_ahead;  // most frames computed or being computed beyond the consumer
    std::atomic<int> m_abort{0};

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_nextToCompute;
    int m_nextToHand;
    bool m_failed = false;
    struct Ready {
        Picture picture;
        std::string packet;
    };
    std::map<int, Ready> m_ready;

    std::vector<std::thread> m_workers;
};
