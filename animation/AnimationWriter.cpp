#include "AnimationWriter.h"

#include "AnimationEncoder.h"

#include <sstream>

AnimationWriteResult WriteAnimation(const AnimationFrames& frames, int fps, const FrameSetup& setup,
                                    const PictureRenderer& renderer, const std::string& fileName,
                                    const std::string& recipe, const std::function<void(int)>& framesWritten,
                                    std::string& reason)
{
    AnimationEncoder encoder;
    if (!encoder.Open(fileName, setup.width, setup.height, fps, frames.Count(), recipe, reason))
        return AnimationWriteResult::Failed;
    const FrameStepFactory parallel = encoder.ParallelEncoding();
    FrameProducer producer(frames, setup, renderer, parallel);
    Picture frame;
    std::string packet;
    int written = 0;
    for (;;) {
        switch (producer.Next(frame, nullptr, &packet)) {
        case FrameProducer::Result::Ready:
            if (!(parallel ? encoder.WriteEncoded(packet, reason) : encoder.Write(frame, reason)))
                return AnimationWriteResult::Failed;
            if (framesWritten)
                framesWritten(++written);
            continue;
        case FrameProducer::Result::Done:
            return encoder.Finish(reason) ? AnimationWriteResult::Written : AnimationWriteResult::Failed;
        case FrameProducer::Result::Aborted: return AnimationWriteResult::Aborted;
        case FrameProducer::Result::Failed: return AnimationWriteResult::EvaluationFailed;
        }
    }
}

std::string AnimationRecipeText(const MotionSettings& motion, int width, int height, bool antiAlias,
                                const std::string& expression, const std::string& partner)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "QuilAnimation\nMode=" << kMotionModeNames[int(motion.mode)] << "\nSeconds=" << motion.seconds
         << "\nFps=" << motion.fps << "\nSize=" << width << "x" << height << "\nAntiAlias=" << (antiAlias ? 1 : 0)
         << "\nSeed=" << motion.seed;
    if (motion.Drifts())
        text << "\nStrength=" << motion.strength;
    if (motion.mode == MotionMode::Turn)
        text << "\nAngle=" << motion.angle;
    if (motion.mode == MotionMode::Zoom)
        text << "\nZoom=" << motion.zoom << "\nZoomBack=" << (motion.zoomBack ? 1 : 0);
    if (motion.mode == MotionMode::Turn || motion.mode == MotionMode::Zoom)
        text << "\nCenter=" << motion.pointX << "," << motion.pointY;
    text << "\nExpression=" << expression;
    if (motion.mode == MotionMode::Morph)
        text << "\nTo=" << partner;
    text << "\n";
    return text.str();
}
