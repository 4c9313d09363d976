#pragma once
// The file types an animation is written as, chosen by the output's
// extension: video and animated pictures through FFmpeg's libraries, or one
// numbered PNG file per frame.

#include <string>

enum class AnimationType : int { WebP = 0, Gif, Mp4, WebM, PngFrames };
constexpr int kNumAnimationTypes = 5;

struct AnimationTypeInfo {
    const char* extension;    // lower case, without the dot
    const char* description;  // for file dialogs
    const char* muxer;        // FFmpeg's output format; nullptr for PNG frames
    const char* encoder;      // FFmpeg's encoder
    bool takesRecipe;         // the container keeps text metadata
    bool evenSides;           // the encoder's 4:2:0 colours need an even width and height
};

extern const AnimationTypeInfo kAnimationTypes[kNumAnimationTypes];

// The type for a file name by its extension (any case); -1 for none.
int AnimationTypeOfName(const std::string& fileName);
// "Animated WebP (*.webp);;GIF (*.gif);;..." for file dialogs.
std::string AnimationDialogFilter();
// The name of PNG frame k of an animation written as fileName ("out.png"
// gives "out-0000.png", "out-0001.png", ...); digits enough for count frames.
std::string PngFrameName(const std::string& fileName, int k, int count);

inline constexpr const char* kMsgNoAnimationType =
    "The animation's type is chosen by its extension: .webp, .gif, .mp4, .webm or .png (numbered frames).";
inline constexpr const char* kMsgEvenSides = "MP4 and WebM need an even width and height.";
