#pragma once
// An animation from its frames to its file: the frames are computed in
// parallel by a FrameProducer while the calling thread encodes them in
// order, and the recipe text that the file carries.

#include "FrameProducer.h"

#include <functional>
#include <string>

enum class AnimationWriteResult { Written, Aborted, EvaluationFailed, Failed };

// Writes every frame of frames to fileName (its type by extension) at
// frames' rate. framesWritten hears the count after each frame. An aborted
// or failed animation leaves no file; reason says why a write failed.
AnimationWriteResult WriteAnimation(const AnimationFrames& frames, int fps, const FrameSetup& setup,
                                    const PictureRenderer& renderer, const std::string& fileName,
                                    const std::string& recipe, const std::function<void(int)>& framesWritten,
                                    std::string& reason);

// The recipe an animation carries: its settings, then the ".quil" text of
// its expression and, for a morph, of its partner.
std::string AnimationRecipeText(const MotionSettings& motion, int width, int height, bool antiAlias,
                                const std::string& expression, const std::string& partner);
