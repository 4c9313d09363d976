#pragma once
// The animation window's two kinds of work, each on a thread of its own so
// that the window never waits: the preview's frames, handed over one by one
// as they are ready, and the save. Both own what they read (an
// AnimationSubject shared with the window) and stop and join in their
// destructors, so nothing they use is freed while they run. Their callbacks
// come on their own threads; the window posts them to itself.

#include "animation/AnimationSubject.h"
#include "animation/AnimationWriter.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class AnimationPreviewRun {
public:
    // index: the frame's number in the animation; the last call has failed
    // set when a frame could not be computed.
    using FrameReady = std::function<void(int index, Picture& frame)>;
    using Finished = std::function<void(bool failed)>;
    AnimationPreviewRun(std::shared_ptr<const AnimationSubject> subject, int side, int step, FrameReady ready,
                        Finished finished);
    ~AnimationPreviewRun();

private:
    std::shared_ptr<const AnimationSubject> m_subject;
    std::atomic<int> m_abort{0};
    std::thread m_thread;
};

class AnimationSaveRun {
public:
    using Progress = std::function<void(int framesWritten)>;
    using Finished = std::function<void(AnimationWriteResult result, const std::string& reason)>;
    AnimationSaveRun(std::shared_ptr<const AnimationSubject> subject, int width, int height, bool antiAlias,
                     std::string fileName, std::string recipe, Progress progress, Finished finished);
    ~AnimationSaveRun();  // aborts a save still running: it leaves no file
    void Abort() { m_abort.store(1); }

private:
    std::shared_ptr<const AnimationSubject> m_subject;
    std::atomic<int> m_abort{0};
    std::thread m_thread;
};
