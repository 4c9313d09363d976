#include "AnimationEncoder.h"

#include "render/pictureio/PictureIO.h"

#include "engine/FileAccess.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new empty file of an unpredictable name beside target, with the
// permissions a new file there gets; its name, or empty (reason set).
std::string MakeTemporary(const std::string& target, const std::string& suffix, std::string& reason)
{
    std::string name = FolderOf(target) + "/.quil-animation-XXXXXX" + suffix;
    const int fd = ::mkstemps(name.data(), int(suffix.size()));
    if (fd < 0) {
        reason = std::strerror(errno);
        return {};
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return name;
}

// The picture's words are 0x00RRGGBB: in memory B, G, R, then an unused byte.
constexpr AVPixelFormat kPictureFormat = AV_PIX_FMT_BGR0;


}  // namespace

// A GIF frame: the picture reduced to a palette of its own (FFmpeg's
// palettegen and paletteuse on this frame alone), as the palette's 256
// colours (0xAARRGGBB words) and then the rows of colour indices. Every frame
// is reduced apart, so the workers reduce their frames side by side, each
// with a reducer of its own.
class PaletteReducer {
public:
    PaletteReducer(int width, int height, int fps) : m_width(width), m_height(height), m_fps(fps) {}
    PaletteReducer(const PaletteReducer&) = delete;
    PaletteReducer& operator=(const PaletteReducer&) = delete;
    ~PaletteReducer() { Close(); }

    bool Reduce(const Picture& picture, std::string& out, std::string& reason)
    {
        AVFrame* in = av_frame_alloc();
        AVFrame* reduced = av_frame_alloc();
        bool ok = in && reduced && (m_graph || Open());
        if (ok) {
            in->format = kPictureFormat;
            in->width = m_width;
            in->height = m_height;
            in->pts = m_pts++;
            const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(picture.Bits())};
            const int strides[1] = {4 * m_width};
            ok = av_frame_get_buffer(in, 0) >= 0;
            if (ok) {
                av_image_copy(in->data, in->linesize, planes, strides, kPictureFormat, m_width, m_height);
                ok = av_buffersrc_add_frame(m_source, in) >= 0;
            }
            int got = ok ? av_buffersink_get_frame(m_sink, reduced) : -1;
            if (ok && got == AVERROR(EAGAIN)) {
                // The filters held the frame back: the end of the stream
                // lets it out, and the next frame gets new filters.
                got = av_buffersrc_add_frame(m_source, nullptr) >= 0 ? av_buffersink_get_frame(m_sink, reduced) : -1;
                Close();
            }
            ok = ok && got >= 0 && reduced->format == AV_PIX_FMT_PAL8;
        }
        if (ok) {
            out.resize(size_t(AVPALETTE_SIZE) + size_t(m_width) * size_t(m_height));
            std::memcpy(out.data(), reduced->data[1], AVPALETTE_SIZE);
            for (int r = 0; r < m_height; ++r)
                std::memcpy(out.data() + AVPALETTE_SIZE + size_t(r) * size_t(m_width),
                            reduced->data[0] + size_t(r) * size_t(reduced->linesize[0]), size_t(m_width));
        } else {
            reason = "FFmpeg's palette filters failed";
            Close();
        }
        av_frame_free(&in);
        av_frame_free(&reduced);
        return ok;
    }

private:
    bool Open()
    {
        char args[256];
        std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=1/1", m_width,
                      m_height, int(kPictureFormat), m_fps);
        m_graph = avfilter_graph_alloc();
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        bool ok = m_graph && outputs && inputs &&
                  avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in", args, nullptr,
                                               m_graph) >= 0 &&
                  avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                               m_graph) >= 0;
        if (ok) {
            outputs->name = av_strdup("in");
            outputs->filter_ctx = m_source;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = m_sink;
            ok = avfilter_graph_parse_ptr(m_graph,
                                          "format=bgra,split[a][b];[a]palettegen=stats_mode=single[p];"
                                          "[b][p]paletteuse=new=1:dither=bayer:bayer_scale=3",
                                          &inputs, &outputs, nullptr) >= 0 &&
                 avfilter_graph_config(m_graph, nullptr) >= 0;
        }
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        if (!ok)
            Close();
        return ok;
    }
    void Close()
    {
        avfilter_graph_free(&m_graph);
        m_source = m_sink = nullptr;
        m_pts = 0;
    }

    int m_width, m_height, m_fps;
    AVFilterGraph* m_graph = nullptr;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    int64_t m_pts = 0;
};

namespace {

// One encoder with the conversion of the picture's words into its input:
// the animation's own, and one per worker where frames are encoded apart.
struct FrameCoder {
    FrameCoder() = default;
    FrameCoder(const FrameCoder&) = delete;
    FrameCoder& operator=(const FrameCoder&) = delete;
    ~FrameCoder()
    {
        avcodec_free_context(&codec);
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scale);
    }

    bool Open(AnimationType type, int width, int height, int fps, bool globalHeader, std::string& reason)
    {
        const AnimationTypeInfo& info = kAnimationTypes[int(type)];
        const AVCodec* encoder = avcodec_find_encoder_by_name(info.encoder);
        if (!encoder) {
            reason = std::string("FFmpeg has no encoder ") + info.encoder;
            return false;
        }
        codec = avcodec_alloc_context3(encoder);
        frame = av_frame_alloc();
        packet = av_packet_alloc();
        if (!codec || !frame || !packet) {
            reason = AvError(AVERROR(ENOMEM));
            return false;
        }
        AVCodecContext& c = *codec;
        c.width = width;
        c.height = height;
        c.time_base = AVRational{1, fps};
        c.framerate = AVRational{fps, 1};
        c.sample_aspect_ratio = AVRational{1, 1};
        AVPixelFormat input = AV_PIX_FMT_YUV420P;
        switch (type) {
        case AnimationType::Gif: input = AV_PIX_FMT_PAL8; break;
        case AnimationType::WebP:
            // A detailed picture costs libwebp more than computing it: its
            // fastest method at quality 80 keeps the encoding within reach
            // of the frames (the slower ones shrink the file by a fifth at
            // up to four times the time). Most of that time goes to writing
            // the bits, so it follows the file's size: fewer segments, no
            // noise shaping or the presets save at most a few percent, and
            // lossless at its lowest effort takes two to three times as long.
            av_opt_set(c.priv_data, "quality", "80", 0);
            c.compression_level = 0;
            break;
        case AnimationType::Mp4:
            av_opt_set(c.priv_data, "preset", "veryfast", 0);
            av_opt_set(c.priv_data, "crf", "18", 0);
            c.gop_size = 2 * fps;
            break;
        case AnimationType::WebM:
            av_opt_set(c.priv_data, "crf", "24", 0);
            av_opt_set(c.priv_data, "deadline", "good", 0);
            av_opt_set(c.priv_data, "cpu-used", "4", 0);
            av_opt_set(c.priv_data, "row-mt", "1", 0);
            c.bit_rate = 0;
            c.gop_size = 2 * fps;
            break;
        default: break;
        }
        c.pix_fmt = input;
        if (globalHeader)
            c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int error = avcodec_open2(codec, encoder, nullptr);
        if (error < 0) {
            reason = AvError(error);
            return false;
        }
        if (type == AnimationType::Gif)
            return true;  // the palette filters convert
        scale = sws_getContext(width, height, kPictureFormat, width, height, input, SWS_BICUBIC, nullptr, nullptr,
                               nullptr);
        frame->format = input;
        frame->width = width;
        frame->height = height;
        if (!scale || (error = av_frame_get_buffer(frame, 0)) < 0) {
            reason = AvError(scale ? error : AVERROR(ENOMEM));
            return false;
        }
        return true;
    }

    // Converts the picture and hands it to the encoder.
    bool Send(const Picture& picture, int64_t pts, std::string& reason)
    {
        const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(picture.Bits())};
        const int strides[1] = {4 * picture.Width()};
        int error = av_frame_make_writable(frame);
        if (error >= 0) {
            sws_scale(scale, planes, strides, 0, picture.Height(), frame->data, frame->linesize);
            frame->pts = pts;
            error = avcodec_send_frame(codec, frame);
        }
        if (error < 0)
            reason = AvError(error);
        return error >= 0;
    }

    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
};

}  // namespace

// The muxer writes through FFmpeg's buffered I/O into an unnamed file
// (CSafeFileWriter), so that a failure, an abort or a kill leaves no file and
// no temporary name behind, and a full disk is noticed to the last byte.
// Muxers seek back to fill in sizes; the file is written at any offset.
struct AnimationEncoder::Video {
    ~Video()
    {
        // Some muxers (GIF's) free their state only in the trailer: an
        // abandoned file gets one too before it is dropped.
        if (headerWritten)
            av_write_trailer(format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        if (format)
            format->pb = nullptr;
        avformat_free_context(format);
    }

    bool OpenOutput(std::string& reason)
    {
        constexpr int kBufferSize = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
        io = buffer ? avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &Video::WriteBytes, &Video::Seek)
                    : nullptr;
        if (!io) {
            av_free(buffer);
            reason = AvError(AVERROR(ENOMEM));
            return false;
        }
        format->pb = io;
        return true;
    }

    // Writes out FFmpeg's buffer; the writer's own check of every byte
    // (file.Finish) follows.
    bool Flush()
    {
        avio_flush(io);
        return io->error >= 0;
    }

#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int WriteBytes(void* opaque, const uint8_t* data, int size)
#else
    static int WriteBytes(void* opaque, uint8_t* data, int size)
#endif
    {
        auto* v = static_cast<Video*>(opaque);
        if (size < 0)
            return AVERROR(EINVAL);
        if (!v->file.WriteAt(data, size_t(size), (unsigned long long)v->position))
            return AVERROR(v->file.Error() != 0 ? v->file.Error() : EIO);
        v->position += size;
        return size;
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence)
    {
        auto* v = static_cast<Video*>(opaque);
        const auto end = int64_t(v->file.Size());
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return end;
        case SEEK_SET: break;
        case SEEK_CUR: offset += v->position; break;
        case SEEK_END: offset += end; break;
        default: return AVERROR(EINVAL);
        }
        if (offset < 0)
            return AVERROR(EINVAL);
        v->position = offset;
        return offset;
    }

    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVIOContext* io = nullptr;
    CSafeFileWriter file;
    int64_t position = 0;  // where the next bytes go
    FrameCoder coder;
    bool headerWritten = false;  // and no trailer yet
};

AnimationEncoder::AnimationEncoder() = default;

AnimationEncoder::~AnimationEncoder() { Discard(); }

bool AnimationEncoder::Open(const std::string& fileName, int width, int height, int fps, int count,
                            const std::string& recipe, std::string& reason)
{
    Discard();
    m_type = AnimationTypeOfName(fileName);
    if (m_type < 0) {
        reason = kMsgNoAnimationType;
        return false;
    }
    const AnimationTypeInfo& type = kAnimationTypes[m_type];
    if (type.evenSides && (width % 2 != 0 || height % 2 != 0)) {
        reason = kMsgEvenSides;
        return false;
    }
    std::string target;
    if (!ResolveSaveTarget(fileName, target, &reason))
        return false;
    m_fileName = target;
    m_width = width;
    m_height = height;
    m_fps = fps;
    m_count = count;
    m_written = 0;
    m_recipe = type.takesRecipe ? recipe : std::string();
    if (m_type == int(AnimationType::PngFrames))
        return true;
    if (!OpenVideo(type, m_recipe, reason)) {
        Discard();
        return false;
    }
    return true;
}

bool AnimationEncoder::OpenVideo(const AnimationTypeInfo& type, const std::string& recipe, std::string& reason)
{
    // The libraries' notes (versions, settings) are not for the person;
    // failures come back as values.
    av_log_set_level(AV_LOG_ERROR);
    m_video = std::make_unique<Video>();
    Video& v = *m_video;
    int error = avformat_alloc_output_context2(&v.format, nullptr, type.muxer, nullptr);
    if (error < 0 || !v.format) {
        reason = AvError(error);
        return false;
    }
    if (!v.coder.Open(AnimationType(m_type), m_width, m_height, m_fps,
                      (v.format->oformat->flags & AVFMT_GLOBALHEADER) != 0, reason))
        return false;
    v.stream = avformat_new_stream(v.format, nullptr);
    if (!v.stream || (error = avcodec_parameters_from_context(v.stream->codecpar, v.coder.codec)) < 0) {
        reason = AvError(v.stream ? error : AVERROR(ENOMEM));
        return false;
    }
    v.stream->time_base = v.coder.codec->time_base;
    v.stream->avg_frame_rate = v.coder.codec->framerate;

    if (!recipe.empty())
        av_dict_set(&v.format->metadata, "comment", recipe.c_str(), 0);
    if (!v.file.Open(m_fileName, &reason) || !v.OpenOutput(reason))
        return false;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "loop", "0", 0);  // animated pictures repeat for ever
    error = avformat_write_header(v.format, &options);
    av_dict_free(&options);
    if (error < 0) {
        reason = AvError(error);
        return false;
    }
    v.headerWritten = true;
    return true;
}

bool AnimationEncoder::Write(const Picture& frame, std::string& reason)
{
    if (m_type < 0 || frame.Width() != m_width || frame.Height() != m_height) {
        reason = "frame of the wrong size";
        return false;
    }
    if (m_type == int(AnimationType::PngFrames)) {
        const std::string name = PngFrameName(m_fileName, m_written, m_count);
        const std::string temporary = MakeTemporary(name, ".png", reason);
        if (temporary.empty())
            return false;
        m_files.emplace_back(temporary, name);
        const int saved = SavePicture(frame, temporary, &reason, m_recipe);
        if (saved != kSaveOk) {
            if (reason.empty())
                reason = SavePictureErrorText(saved);
            return false;
        }
        ++m_written;
        return true;
    }
    if (!WriteVideo(frame, reason))
        return false;
    ++m_written;
    return true;
}

bool AnimationEncoder::WriteVideo(const Picture& picture, std::string& reason)
{
    if (AnimationType(m_type) == AnimationType::Gif) {
        if (!m_reducer)
            m_reducer = std::make_shared<PaletteReducer>(m_width, m_height, m_fps);
        std::string reduced;
        return m_reducer->Reduce(picture, reduced, reason) && WriteQuantized(reduced, reason);
    }
    return m_video->coder.Send(picture, m_written, reason) && WritePackets(reason);
}

// Hands a reduced GIF frame (PaletteReducer's) to the encoder.
bool AnimationEncoder::WriteQuantized(const std::string& reduced, std::string& reason)
{
    if (reduced.size() != size_t(AVPALETTE_SIZE) + size_t(m_width) * size_t(m_height)) {
        reason = "a reduced frame of the wrong size";
        return false;
    }
    AVFrame* frame = av_frame_alloc();
    int error = AVERROR(ENOMEM);
    if (frame) {
        frame->format = AV_PIX_FMT_PAL8;
        frame->width = m_width;
        frame->height = m_height;
        frame->pts = m_written;
        error = av_frame_get_buffer(frame, 0);
    }
    if (error >= 0) {
        std::memcpy(frame->data[1], reduced.data(), AVPALETTE_SIZE);
        for (int r = 0; r < m_height; ++r)
            std::memcpy(frame->data[0] + size_t(r) * size_t(frame->linesize[0]),
                        reduced.data() + AVPALETTE_SIZE + size_t(r) * size_t(m_width), size_t(m_width));
        error = avcodec_send_frame(m_video->coder.codec, frame);
    }
    av_frame_free(&frame);
    if (error < 0) {
        reason = AvError(error);
        return false;
    }
    return WritePackets(reason);
}

bool AnimationEncoder::WritePackets(std::string& reason)
{
    Video& v = *m_video;
    for (;;) {
        const int error = avcodec_receive_packet(v.coder.codec, v.coder.packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF)
            return true;
        if (error < 0)
            return reason = AvError(error), false;
        if (!WritePacket(v.coder.packet, reason))
            return false;
    }
}

bool AnimationEncoder::WritePacket(AVPacket* packet, std::string& reason)
{
    Video& v = *m_video;
    av_packet_rescale_ts(packet, v.coder.codec->time_base, v.stream->time_base);
    packet->stream_index = v.stream->index;
    const int error = av_interleaved_write_frame(v.format, packet);
    if (error < 0)
        reason = AvError(error);
    return error >= 0;
}

FrameStepFactory AnimationEncoder::ParallelEncoding() const
{
    // A WebP frame is a picture of its own: the workers encode their frames,
    // and only the muxing stays in order.
    if (m_type == int(AnimationType::Gif) && m_video) {
        const int width = m_width, height = m_height, fps = m_fps;
        return [width, height, fps]() -> FrameStep {
            auto reducer = std::make_shared<PaletteReducer>(width, height, fps);
            return [reducer](Picture& frame, std::string& reduced) {
                std::string reason;
                return reducer->Reduce(frame, reduced, reason);
            };
        };
    }
    if (m_type != int(AnimationType::WebP) || !m_video)
        return nullptr;
    const int width = m_width, height = m_height, fps = m_fps;
    return [width, height, fps]() -> FrameStep {
        auto coder = std::make_shared<FrameCoder>();
        std::string reason;
        if (!coder->Open(AnimationType::WebP, width, height, fps, false, reason))
            return nullptr;
        return [coder](Picture& frame, std::string& packet) {
            std::string reason;
            if (!coder->Send(frame, 0, reason) || avcodec_receive_packet(coder->codec, coder->packet) < 0)
                return false;
            packet.assign(reinterpret_cast<const char*>(coder->packet->data), size_t(coder->packet->size));
            av_packet_unref(coder->packet);
            return true;
        };
    };
}

bool AnimationEncoder::WriteEncoded(const std::string& bytes, std::string& reason)
{
    if (m_type == int(AnimationType::Gif)) {
        if (!WriteQuantized(bytes, reason))
            return false;
        ++m_written;
        return true;
    }
    AVPacket* packet = av_packet_alloc();
    int error = packet ? av_new_packet(packet, int(bytes.size())) : AVERROR(ENOMEM);
    bool ok = error >= 0;
    if (ok) {
        std::memcpy(packet->data, bytes.data(), bytes.size());
        packet->pts = packet->dts = m_written;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        ok = WritePacket(packet, reason);
    } else {
        reason = AvError(error);
    }
    av_packet_free(&packet);
    if (ok)
        ++m_written;
    return ok;
}

bool AnimationEncoder::Finish(std::string& reason)
{
    bool ok = m_type >= 0;
    if (ok && m_video) {
        Video& v = *m_video;
        int error = 0;
        ok = ok && (error = avcodec_send_frame(v.coder.codec, nullptr)) >= 0 && WritePackets(reason);
        if (ok) {
            v.headerWritten = false;
            ok = (error = av_write_trailer(v.format)) >= 0;
        }
        if (!ok && reason.empty())
            reason = AvError(error);
        // The writer knows best why bytes did not reach the disk.
        ok = v.Flush() && ok;
        ok = v.file.Finish(&reason) && ok;
        ok = ok && v.file.Place(true, &reason);
    }
    for (size_t i = 0; ok && i < m_files.size(); ++i)
        if (::rename(m_files[i].first.c_str(), m_files[i].second.c_str()) != 0) {
            reason = std::strerror(errno);
            ok = false;
        } else {
            m_files[i].first.clear();
        }
    if (!ok) {
        Discard();
        return false;
    }
    m_files.clear();
    m_video.reset();
    m_type = -1;
    return true;
}

void AnimationEncoder::Discard()
{
    m_video.reset();
    for (auto& [temporary, final] : m_files)
        if (!temporary.empty())
            ::unlink(temporary.c_str());
    m_files.clear();
    m_type = -1;
}
