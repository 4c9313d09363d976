#pragma once
// Writes the frames of an animation, one at a time, as the file type its
// name's extension chooses: encoded and muxed by FFmpeg's libraries (a GIF
// gets a palette of its own for every frame), or saved as numbered PNG files.
// WebP and GIF frames can be encoded (reduced) by the threads that compute
// them (ParallelEncoding); the rest of the work stays in order here.
// Nothing is held beyond the frame being encoded and what the encoder keeps.
//
// A video or animated picture is written unnamed beside its target, and PNG
// frames under unpredictable hidden names; only Finish gives them their
// names, and Discard (or destruction before Finish) drops them, so an aborted
// or failed animation leaves nothing behind (a killed video neither).

#include "AnimationFormats.h"
#include "FrameProducer.h"

#include "render/Picture.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct AVPacket;
class PaletteReducer;

class AnimationEncoder {
public:
    AnimationEncoder();
    ~AnimationEncoder();
    AnimationEncoder(const AnimationEncoder&) = delete;
    AnimationEncoder& operator=(const AnimationEncoder&) = delete;

    // count frames of width x height at fps per second. recipe (empty for
    // none) goes into the file's text metadata where its type takes text.
    // False with a reason for the person.
    bool Open(const std::string& fileName, int width, int height, int fps, int count, const std::string& recipe,
              std::string& reason);
    // The next frame; it must have the size given to Open.
    bool Write(const Picture& frame, std::string& reason);
    // For types whose frames are encoded each on its own: the encoders of
    // FrameProducer's workers (null for the others). Their packets go to
    // WriteEncoded, in order, in place of Write.
    FrameStepFactory ParallelEncoding() const;
    bool WriteEncoded(const std::string& packet, std::string& reason);
    // Flushes the encoder and puts the files in place.
    bool Finish(std::string& reason);
    void Discard();

private:
    struct Video;
    bool OpenVideo(const AnimationTypeInfo& type, const std::string& recipe, std::string& reason);
    bool WriteVideo(const Picture& frame, std::string& reason);
    bool WriteQuantized(const std::string& reduced, std::string& reason);
    bool WritePackets(std::string& reason);
    bool WritePacket(AVPacket* packet, std::string& reason);

    std::string m_fileName;
    int m_type = -1;
    int m_width = 0, m_height = 0, m_fps = 0, m_count = 0;
    int m_written = 0;
    std::string m_recipe;
    std::unique_ptr<Video> m_video;
    std::shared_ptr<PaletteReducer> m_reducer;  // GIF frames reduced here (Write)
    // PNG frames: temporary names and the names they take at the end.
    std::vector<std::pair<std::string, std::string>> m_files;
};
