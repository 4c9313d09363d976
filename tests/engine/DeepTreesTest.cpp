// The reader, the writer and the copier keep explicit stacks: the reader is
// held against the recursive description on well-formed, broken and deep
// texts, and trees of the deepest accepted shape are read, written and
// copied on a thread with a small stack.

#include "ReferenceReader.h"
#include "NestedText.h"
#include "TestHost.h"

#include "engine/DeepStackThread.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <pthread.h>
#include <random>

namespace {

constexpr const char* kFile = "/art/a.quil";

// What a read leaves behind that anyone could observe.
struct Outcome {
    bool ok = false;
    size_t nodes = 0;      // handed out by the pool
    size_t charsRead = 0;  // consumed from the archive
    std::vector<std::string> messages;
    bool usesPicture = false;
    std::string picture;           // made absolute
    std::string text;              // written back (no picture name)
    std::vector<ptrdiff_t> layout;  // pre-order places in the pool, for a tree in the first block

    bool operator==(const Outcome&) const = default;
};

// Field by field, for a readable failure.
void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << "{ok " << o.ok << ", nodes " << o.nodes << ", read " << o.charsRead << ", messages " << o.messages.size()
        << ", picture " << o.usesPicture << " '" << o.picture.substr(0, 40) << "', text '" << o.text.substr(0, 60)
        << "', layout " << o.layout.size() << "}";
}

void Describe(CQuilExpression& e, RecordingHost& host, StringArchive& in, Outcome& out)
{
    out.nodes = e.NodeCount();
    out.charsRead = in.CharsRead();
    for (const RecordingHost::Message& m : host.messages)
        out.messages.push_back(m.text);
    if (!out.ok)
        return;
    SilentEngineHost quiet;
    e.SetHost(&quiet);
    StringArchive written({}, kFile);
    e.WriteExpression(written);
    out.text = written.Output();
    if (out.nodes > size_t(kFirstBlockNodes))
        return;
    std::vector<const ExprNode*> stack{e.GetRoot()};
    while (!stack.empty()) {
        const ExprNode* n = stack.back();
        stack.pop_back();
        out.layout.push_back(n - e.GetRoot());
        for (int i = n->nChildren - 1; i >= 0; --i)
            stack.push_back(n->pChild[i]);
    }
}

Outcome ReadByProgram(const std::string& text)
{
    RecordingHost host;
    CQuilExpression e(&host);
    StringArchive in(text, kFile);
    Outcome out;
    out.ok = e.ReadExpression(in) != nullptr;
    out.usesPicture = e.m_bUsesPicture != 0;
    out.picture = out.usesPicture ? e.PictureName() : std::string();
    Describe(e, host, in, out);
    return out;
}

Outcome ReadByReference(const std::string& text)
{
    RecordingHost host;
    CQuilExpression e(&host);
    ReferenceReader reader(e);
    StringArchive in(text, kFile);
    Outcome out;
    out.ok = reader.Read(in) != nullptr;
    out.usesPicture = reader.m_bUsesPicture;
    // A picture name is made absolute only when the read succeeds.
    if (out.usesPicture)
        out.picture = out.ok && !reader.m_strPicture.empty()
                          ? CQuilExpression::MakeAbsolutePath(reader.m_strPicture, kFile)
                          : reader.m_strPicture;
    Describe(e, host, in, out);
    return out;
}

std::vector<std::string> GeneratedTexts(int count)
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    s.m_dProb[KIND_PIC] = 0.05;
    s.m_dProb[KIND_CROSS] = 0.05;
    LcgRandomSource random(77);
    SilentEngineHost host;
    host.m_strPath = "/art/pics/p.png";
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        CQuilExpression e(&host);
        e.Reset();
        e.GenerateRandom(s, random);
        StringArchive out({}, kFile);
        e.WriteExpression(out);
        texts.push_back(out.Output());
    }
    return texts;
}

// One random edit of the kinds that break a text in interesting places.
std::string Mutate(std::string text, std::mt19937& rng)
{
    static const std::string kPieces[] = {"[", "]", ",", " ", "\n", "X[]", "0.5", "-2", "PIC[", "sin[", "]]", ",,"};
    if (text.empty())
        return kPieces[rng() % std::size(kPieces)];
    const size_t at = rng() % text.size();
    switch (rng() % 5) {
    case 0:
        return text.erase(at, 1 + rng() % 4);
    case 1:
        return text.insert(at, kPieces[rng() % std::size(kPieces)]);
    case 2:
        text[at] = "[],X 1-."[rng() % 8];
        return text;
    case 3:
        return text.substr(0, at);
    default:
        return text.insert(at, text.substr(rng() % text.size(), 1 + rng() % 12));
    }
}

// Runs body on a thread with a 256 KiB stack: far too small for a
// recursion over thousands of levels, ample for loops.
void OnSmallStack(const std::function<void()>& body)
{
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, size_t(256) << 10), 0);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

}  // namespace

TEST(DeepTrees, ReaderMatchesTheRecursiveDescription)
{
    std::vector<std::string> texts = {
        "rgb [X[ ], Y[],BW[ -1.0 ]]\n", "rgb[X[] ,Y[],BW[-1]]", "BW[X[]]", "BW[sin[X[]]]", "BW[0.1,X[]]",
        "BW[PIC[" + std::string(1023, 'p') + "]]", "PIC[a,0.5,0.25]", "PIC[a,0.5,0.25,1]", "PIC[a,b]",
        "R2C[0.25,-0.5]", "X[0.1,0.2,0.3,0.4]", "sin[X[]]junk", "sin[X[]", "0.5]", "sin[0.5]", "plus[X[]]",
        "plus[X[],Y[],R[],PHI[]]", "if3[X[],Y[],R[]]", "", "]", "[", "BW[", "BW[1.0000001]", "BW[-1e0]",
        Chain("neg[", "X[]", "]", 4095), Chain("neg[", "X[]", "]", 4096), Chain("neg[", "PIC[]", "]", 4096),
        Chain("neg[", "PIC[]", "]", 4097), Chain("rgb[", "BW[0.5]", ",X[],Y[]]", 4095),
        Chain("rgb[X[],Y[],", "BW[0.5]", "]", 4095), Chain("neg[", "X[]", "]", 100000),
        Chain("neg[", "BW[0.5]", "]", kMaxTreeDepth), Chain("neg[", "BW[0.5]", "]", kMaxTreeDepth + 1),
        "neg[PIC[a" + std::string(1, '\0') + "b]]",
    };
    for (const std::string& generated : GeneratedTexts(200))
        texts.push_back(generated);
    std::mt19937 rng(2024);
    const size_t whole = texts.size();
    for (size_t i = 0; i < whole; ++i)
        for (int m = 0; m < 12; ++m)
            texts.push_back(Mutate(texts[i], rng));
    // The reference recurses: it gets a stack for the deepest tree.
    int accepted = 0;
    ASSERT_TRUE(RunOnDeepStack([&] {
        for (const std::string& text : texts) {
            const Outcome program = ReadByProgram(text);
            ASSERT_EQ(program, ReadByReference(text)) << text.substr(0, 200);
            accepted += program.ok;
        }
    }));
    // Both kinds of input took part.
    EXPECT_GT(accepted, 200);
    EXPECT_LT(accepted, int(texts.size()) - 1000);
}

TEST(DeepTrees, ReaderRunsOutOfPoolLikeTheRecursiveDescription)
{
    const std::string text = Chain("plus[X[],", "Y[]", "]", 3000);  // 6000 nodes: two blocks
    const size_t old = CQuilExpression::PoolCeiling();
    CQuilExpression::SetPoolCeiling(sizeof(ExprNode) * kFirstBlockNodes);
    Outcome program, reference;
    ASSERT_TRUE(RunOnDeepStack([&] {
        program = ReadByProgram(text);
        reference = ReadByReference(text);
    }));
    CQuilExpression::SetPoolCeiling(old);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.messages, std::vector<std::string>{kMsgNoMemory});
    EXPECT_EQ(program, reference);
}

TEST(DeepTrees, DeepestTreesNeedNoDeepStack)
{
    OnSmallStack([] {
        for (const std::string& text :
             {Chain("neg[", "X[]", "]", 4095), Chain("rgb[", "BW[0.500000]", ",X[],Y[]]", 4095),
              Chain("neg[", "RGB[0.500000,0.250000,0.125000]", "]", kMaxTreeDepth),
              Chain("if3[X[],Y[],", "PIC[]", "]", 4095), Chain("sin[", "PIC[]", "]", 4096)}) {
            CQuilExpression e;
            StringArchive in(text, kFile);
            ASSERT_NE(e.ReadExpression(in), nullptr);
            StringArchive out({}, kFile);
            ASSERT_EQ(e.WriteExpression(out), 1);
            EXPECT_EQ(out.Output(), text);
            CQuilExpression copy;
            ASSERT_EQ(copy.CopyFrom(e.GetRoot()), 1);
            EXPECT_EQ(copy.NodeCount(), e.NodeCount());
            StringArchive again({}, kFile);
            ASSERT_EQ(copy.WriteExpression(again), 1);
            EXPECT_EQ(again.Output(), text);
        }
    });
}

TEST(DeepTrees, LevelsBeyondTheLimitAreRefusedEverywhere)
{
    OnSmallStack([] {
        // Any leaf at level 4096 is read, as it is written and evaluated; one level more is not.
        CQuilExpression e;
        StringArchive deepest(Chain("neg[", "BW[0.5]", "]", 4096), kFile);
        EXPECT_NE(e.ReadExpression(deepest), nullptr);
        StringArchive tooDeep(Chain("neg[", "X[]", "]", 4097), kFile);
        EXPECT_EQ(e.ReadExpression(tooDeep), nullptr);
        StringArchive picture(Chain("neg[", "PIC[]", "]", 4096), kFile);
        ASSERT_NE(e.ReadExpression(picture), nullptr);

        // 4096 levels are written and copied; one more is refused by both.
        ExprNode* last = e.GetRoot();
        while (last->nChildren > 0)
            last = last->pChild[0];
        ExprNode* leaf = e.NewNode();
        *leaf = ExprNode{KIND_X, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
        *last = ExprNode{KIND_NEG, {0, 0, 0}, 1, {leaf, nullptr, nullptr}};
        StringArchive out({}, kFile);
        EXPECT_EQ(e.WriteExpression(out), 0);
        CQuilExpression copy;
        EXPECT_EQ(copy.CopyFrom(e.GetRoot()), 0);
        *last = ExprNode{KIND_PIC, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
        EXPECT_EQ(copy.CopyFrom(e.GetRoot()), 1);
    });
}
