#include "AnimationRuns.h"

#include "render/production/ProductionRenderer.h"

AnimationPreviewRun::AnimationPreviewRun(std::shared_ptr<const AnimationSubject> subject, int side, int step,
                                         FrameReady ready, Finished finished)
    : m_subject(std::move(subject))
{
    m_thread = std::thread([this, side, step, ready = std::move(ready), finished = std::move(finished)] {
        FrameSetup setup;
        setup.width = side;
        setup.height = side;
        setup.source = m_subject->Source();
        setup.step = step;
        setup.abort = &m_abort;
        // Frame 0 comes first: the producer hands frames out in order.
        FrameProducer producer(m_subject->Frames(), setup, RenderProduction);
        Picture frame;
        int index = 0;
        FrameProducer::Result result;
        while ((result = producer.Next(frame, &index)) == FrameProducer::Result::Ready)
            ready(index, frame);
        if (result != FrameProducer::Result::Aborted)
            finished(result == FrameProducer::Result::Failed);
    });
}

AnimationPreviewRun::~AnimationPreviewRun()
{
    m_abort.store(1);
    if (m_thread.joinable())
        m_thread.join();
}

AnimationSaveRun::AnimationSaveRun(std::shared_ptr<const AnimationSubject> subject, int width, int height,
                                   bool antiAlias, std::string fileName, std::string recipe, Progress progress,
                                   Finished finished)
    : m_subject(std::move(subject))
{
    m_thread = std::thread([this, width, height, antiAlias, fileName = std::move(fileName),
                            recipe = std::move(recipe), progress = std::move(progress),
                            finished = std::move(finished)] {
        FrameSetup setup;
        setup.width = width;
        setup.height = height;
        setup.antiAlias = antiAlias;
        setup.source = m_subject->Source();
        setup.abort = &m_abort;
        std::string reason;
        const AnimationWriteResult result = WriteAnimation(m_subject->Frames(), m_subject->Motion().fps, setup,
                                                           RenderProduction, fileName, recipe, progress, reason);
        finished(result, reason);
    });
}

AnimationSaveRun::~AnimationSaveRun()
{
    m_abort.store(1);
    if (m_thread.joinable())
        m_thread.join();
}
