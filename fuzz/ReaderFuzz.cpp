// libFuzzer target for the ".quil" reader. Each input is read as a document
// reads a file, and must
//  - be taken or refused exactly as the recursive description of the format
//    takes it, consuming as much and handing out as many nodes;
//  - when taken, write back to a text that reads back and writes the same;
//  - keep its picture: a name that is read, saved and read again names the
//    same file.
// A difference stops the run with a trap; the sanitizers catch the rest.

#include "engine/DeepStackThread.h"
#include "engine/EngineHost.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "tests/engine/ReferenceReader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kFile = "/fuzz/dir/a.quil";
// Deeper nesting than this runs the recursive reference on a deep stack.
constexpr int kShallow = 256;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

int Nesting(const std::string& text)
{
    int depth = 0, deepest = 0;
    for (char c : text) {
        depth += c == '[' ? 1 : (c == ']' ? -1 : 0);
        deepest = depth > deepest ? depth : deepest;
    }
    return deepest;
}

std::string Write(CQuilExpression& e, const std::string& picture)
{
    SilentEngineHost host;
    host.m_strPath = picture;
    e.SetHost(&host);
    StringArchive out({}, kFile);
    Check(e.WriteExpression(out) == 1);
    e.SetHost(nullptr);
    return out.Output();
}

void CheckAgainstReference(const std::string& text, CQuilExpression& e, const StringArchive& in, bool ok)
{
    SilentEngineHost host;
    CQuilExpression r(&host);
    ReferenceReader reference(r);
    StringArchive again(text, kFile);
    bool referenceOk = false;
    const auto read = [&] { referenceOk = reference.Read(again) != nullptr; };
    if (Nesting(text) > kShallow)
        Check(RunOnDeepStack(read));
    else
        read();
    Check(ok == referenceOk);
    Check(e.NodeCount() == r.NodeCount());
    Check(in.CharsRead() == again.CharsRead());
    Check(e.m_bUsesPicture == (reference.m_bUsesPicture ? 1 : 0));
    if (ok)
        Check(Write(e, {}) == Write(r, {}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = (CQuilExpression::SetPoolCeiling(size_t(64) << 20), true);
    (void)once;
    const std::string text(reinterpret_cast<const char*>(data), size);

    SilentEngineHost host;
    CQuilExpression e(&host);
    StringArchive in(text, kFile);
    const bool ok = e.ReadExpression(in) != nullptr;
    CheckAgainstReference(text, e, in, ok);
    if (!ok)
        return 0;

    // Saved with the picture the file named, read back, saved again.
    const std::string picture = host.m_strPath;
    const std::string first = Write(e, picture);
    SilentEngineHost second;
    CQuilExpression back(&second);
    StringArchive reread(first, kFile);
    Check(back.ReadExpression(reread) != nullptr);
    Check(Write(back, picture) == first);
    // The name that was written names the picture's file; one the format
    // cannot hold is left out, and the program's picture stays.
    const std::string written = CQuilExpression::PictureNameToWrite(picture, kFile);
    if (!written.empty())
        Check(second.m_strPath == std::filesystem::path(picture).lexically_normal().string());
    else
        Check(second.m_strPath.empty());
    return 0;
}
