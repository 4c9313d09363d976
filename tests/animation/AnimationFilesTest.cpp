// Written animations decode with FFmpeg's libraries (animated WebP, which
// this FFmpeg does not decode, with Qt's reader) to the frame count, size and
// rate asked for; the recipe is where the container keeps text; an aborted
// or failed save leaves nothing in the folder.

#include "animation/AnimationSubject.h"
#include "animation/AnimationFormats.h"
#include "animation/AnimationWriter.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"
#include "render/production/ProductionRenderer.h"

#include "tests/engine/ExpressionText.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr const char* kTree = "rgb[sin[plus[R2C[0.300000,-0.200000,],times[X[],BW[0.500000]]]],"
                              "cos[minus[SPIRC[0.100000,-0.400000,0.600000],Y[]]],Y[]]";

struct Decoded {
    int frames = 0, width = 0, height = 0;
    AVRational rate{0, 1};
    std::string comment;
};

// Decodes every frame of the file's video stream.
Decoded Decode(const std::string& path)
{
    Decoded d;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return d;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (const AVDictionaryEntry* e = av_dict_get(format->metadata, "comment", nullptr, 0))
        d.comment = e->value;
    if (index >= 0) {
        AVStream* stream = format->streams[index];
        d.rate = stream->avg_frame_rate.num ? stream->avg_frame_rate : stream->r_frame_rate;
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        AVCodecContext* context = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(context, stream->codecpar);
        if (avcodec_open2(context, codec, nullptr) >= 0) {
            AVPacket* packet = av_packet_alloc();
            AVFrame* frame = av_frame_alloc();
            const auto receive = [&] {
                while (avcodec_receive_frame(context, frame) >= 0) {
                    ++d.frames;
                    d.width = frame->width;
                    d.height = frame->height;
                }
            };
            while (av_read_frame(format, packet) >= 0) {
                if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0)
                    receive();
                av_packet_unref(packet);
            }
            avcodec_send_packet(context, nullptr);
            receive();
            av_frame_free(&frame);
            av_packet_free(&packet);
        }
        avcodec_free_context(&context);
    }
    avformat_close_input(&format);
    return d;
}

class AnimationFiles : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_tree = Parse(kTree);
        m_motion.seconds = 1.0;
        m_motion.fps = 10;  // a GIF's delays are hundredths of a second
        m_setup.width = 48;
        m_setup.height = 32;
    }
    std::string Path(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }
    AnimationWriteResult Write(const std::string& name, const std::string& recipe,
                               const std::function<void(int)>& progress = nullptr)
    {
        const AnimationSubject subject(m_tree->GetRoot(), nullptr, m_motion);
        m_reason.clear();
        return WriteAnimation(subject.Frames(), m_motion.fps, m_setup, RenderProduction, Path(name), recipe,
                              progress, m_reason);
    }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_dir;
    std::unique_ptr<CQuilExpression> m_tree;
    MotionSettings m_motion;
    FrameSetup m_setup;
    std::string m_reason;
};

TEST_F(AnimationFiles, EachTypeDecodesWithItsFramesSizeAndRate)
{
    for (const char* name : {"a.gif", "a.mp4", "a.webm"}) {
        ASSERT_EQ(Write(name, "recipe text"), AnimationWriteResult::Written) << name << ": " << m_reason;
        const Decoded d = Decode(Path(name));
        EXPECT_EQ(d.frames, 10) << name;
        EXPECT_EQ(d.width, 48) << name;
        EXPECT_EQ(d.height, 32) << name;
        EXPECT_EQ(av_cmp_q(d.rate, AVRational{10, 1}), 0) << name << " " << d.rate.num << "/" << d.rate.den;
        const bool carries = std::string(name) != "a.gif";
        EXPECT_EQ(d.comment, carries ? "recipe text" : "") << name;
    }
    ASSERT_EQ(Write("b.mp4", ""), AnimationWriteResult::Written);
    EXPECT_EQ(Decode(Path("b.mp4")).comment, "");

    ASSERT_EQ(Write("a.webp", "recipe text"), AnimationWriteResult::Written) << m_reason;
    QImageReader webp(QString::fromStdString(Path("a.webp")));
    EXPECT_EQ(webp.imageCount(), 10);
    EXPECT_EQ(webp.size(), QSize(48, 32));
    EXPECT_EQ(webp.loopCount(), -1);  // for ever
    ASSERT_TRUE(webp.read().isNull() == false);
    EXPECT_EQ(webp.nextImageDelay(), 100);

    // Numbered frames, each with the recipe, and the pixels of the renderer.
    ASSERT_EQ(Write("f.png", "rgb[X[],Y[],X[]]"), AnimationWriteResult::Written) << m_reason;
    const AnimationSubject subject(m_tree->GetRoot(), nullptr, m_motion);
    for (int k : {0, 9}) {
        const std::string frame = Path(k == 0 ? "f-0000.png" : "f-0009.png");
        std::string recipe;
        EXPECT_EQ(ReadPictureRecipe(frame, recipe), RecipeResult::Found);
        EXPECT_EQ(recipe, "rgb[X[],Y[],X[]]");
        AnimationFrame expected;
        ASSERT_TRUE(subject.Frames().Frame(k, expected));
        CEvaluator evaluator;
        Picture target(48, 32);
        RenderRequest request;
        request.evaluator = &evaluator;
        request.root = expected.tree.Root();
        request.target = &target;
        request.view = expected.view;
        RenderReference(request);
        Picture read;
        ASSERT_TRUE(ImageToPicture(QImage(QString::fromStdString(frame)), read));
        EXPECT_EQ(read, target) << k;
    }
    EXPECT_EQ(Files().filter(".png").size(), 10);
}

TEST_F(AnimationFiles, AbortedAndFailedSavesLeaveNothing)
{
    std::atomic<int> abort{0};
    m_setup.abort = &abort;
    m_motion.seconds = 6.0;
    for (const char* name : {"a.mp4", "a.gif", "f.png"}) {
        abort = 0;
        EXPECT_EQ(Write(name, "x", [&](int written) {
                      if (written == 3)
                          abort = 1;
                  }),
                  AnimationWriteResult::Aborted)
            << name;
        EXPECT_TRUE(Files().isEmpty()) << name << ": " << Files().join(' ').toStdString();
    }
    // Sides that H.264 cannot take, a type that is no animation, a folder that is not there.
    m_setup.abort = nullptr;
    m_setup.width = 47;
    EXPECT_EQ(Write("odd.mp4", ""), AnimationWriteResult::Failed);
    EXPECT_EQ(m_reason, kMsgEvenSides);
    EXPECT_EQ(Write("a.bmp", ""), AnimationWriteResult::Failed);
    EXPECT_EQ(Write("none/a.webp", ""), AnimationWriteResult::Failed);
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    // A tree that cannot be evaluated fails without a file.
    ExprNode broken = *m_tree->GetRoot();
    broken.pChild[2] = nullptr;
    const AnimationFrames frames(&broken, nullptr, m_motion);
    m_setup.width = 48;
    EXPECT_EQ(WriteAnimation(frames, 10, m_setup, RenderProduction, Path("b.webm"), "", nullptr, m_reason),
              AnimationWriteResult::EvaluationFailed);
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
}

}  // namespace
