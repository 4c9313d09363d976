#pragma once
// An engine host that records every message box and the source-picture calls.

#include "engine/EngineHost.h"

#include <string>
#include <vector>

class RecordingHost : public EngineHost {
public:
    struct Message {
        std::string text, caption;
        MessageIcon icon;
    };
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        messages.push_back({text, caption, icon});
    }
    std::string SourcePicturePath() const override { return path; }
    void SetSourcePicturePath(const std::string& p) override
    {
        path = p;
        ++pathSets;
    }
    bool PictureLocked() const override { return locked; }
    void SetPictureLoadPending(bool p) override { loadPending = p; }
    void EnsureSourcePicture() override { ++ensureCalls; }

    int Count(const std::string& text) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.text == text;
        return n;
    }

    std::vector<Message> messages;
    std::string path;
    int pathSets = 0;
    bool locked = false;
    bool loadPending = false;
    int ensureCalls = 0;
};
