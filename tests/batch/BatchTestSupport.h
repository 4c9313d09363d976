#pragma once
// A batch run without windows, as quil-cli drives it: sources over default
// generation settings and a seeded random source, and a host that records
// what the run reports and answers the overwrite prompts it is given.

#include "batch/BatchNoticeQueue.h"
#include "batch/BatchRun.h"
#include "engine/EngineHost.h"
#include "engine/GenerationSettings.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"
#include "render/CalcBitmap.h"
#include "render/Picture.h"
#include "render/RenderRequest.h"

#include <QImage>

#include <chrono>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

class TestSources : public BatchSources {
public:
    TestSources()
    {
        MemorySettingsStore store;
        generation.InitGenerationSettings(store);
    }
    const GenerationSettings& GenSettings() override { return generation; }
    RandomSource& Random() override { return random; }
    EngineHost& Engine() override { return engine; }
    std::shared_ptr<const Picture> SourcePicture() override { return source; }
    void LoadSourcePicture() override { loaded.push_back(engine.SourcePicturePath()); }

    GenerationSettings generation;
    LcgRandomSource random{4711};
    SilentEngineHost engine;
    std::shared_ptr<const Picture> source = std::make_shared<Picture>(8, 8);
    std::vector<std::string> loaded;  // the paths LoadSourcePicture was asked for
};

class RecordingBatchHost : public BatchRunHost {
public:
    struct Message {
        std::string text, caption;
    };
    void ShowBatchMessage(const std::string& text, const std::string& caption) override
    {
        messages.push_back({text, caption});
    }
    OverwriteAnswer AskOverwrite(const std::string& path) override
    {
        prompts.push_back(path);
        if (onPrompt)
            onPrompt(path);
        if (answers.empty())
            return OverwriteAnswer::Cancel;
        const OverwriteAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::shared_ptr<JobNotifier> MakeNotifier(uint64_t ticket) override { return queue->NotifierFor(ticket, true); }
    void OnPictureCount(unsigned count) override { counts.push_back(count); }
    void OnProcessingFile(const std::string& path) override { processed.push_back(path); }
    void OnNextBitmapName(const std::string& path) override { names.push_back(path); }
    void OnPictureDone(const BatchPictureDone& done, const Picture& picture) override
    {
        pictures.push_back(done);
        sizes.emplace_back(picture.Width(), picture.Height());
        if (onDone)
            onDone(done);
    }
    void OnRunEnded(BatchEnd why) override { ends.push_back(why); }

    // Feeds the run its notices until it ends; false when it hangs.
    bool Drive(CBatchRun& run)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (run.IsRunning()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            queue->Deliver(run, std::chrono::milliseconds(50));
        }
        return true;
    }

    std::shared_ptr<BatchNoticeQueue> queue = std::make_shared<BatchNoticeQueue>();
    std::vector<Message> messages;
    std::vector<std::string> prompts;
    std::deque<OverwriteAnswer> answers;
    std::function<void(const std::string&)> onPrompt;
    std::function<void(const BatchPictureDone&)> onDone;
    std::vector<unsigned> counts;
    std::vector<std::string> processed;
    std::vector<std::string> names;
    std::vector<BatchPictureDone> pictures;
    std::vector<std::pair<int, int>> sizes;
    std::vector<BatchEnd> ends;
};

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Sets a file's modification time (seconds since the epoch).
inline void SetModified(const std::string& path, long seconds)
{
    struct utimbuf times {seconds, seconds};
    ::utime(path.c_str(), &times);
}

inline bool Exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The picture of a tree at width x height, by the reference renderer.
inline Picture ReferencePicture(const ExprNode* root, int width, int height)
{
    CCalcBitmap evaluator;
    Picture picture(width, height);
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.target = &picture;
    RenderReference(request);
    return picture;
}
