#pragma once
// CQuilExpression owns one expression tree and the pool its nodes live in.
// It fills the tree by default, by deep copy, by random generation and from
// the ".quil" text form, and writes it back. Evaluation is CEvaluator's job.

#include "EngineHost.h"
#include "ExprNode.h"
#include "NodeKinds.h"

#include <cstddef>
#include <string>
#include <string_view>

class QuilArchive;
class RandomSource;
struct GenerationSettings;

constexpr int kFirstBlockNodes = 4096;
constexpr int kMaxPoolBlocks = 16;
// The pool never grows beyond this many bytes of nodes in all: a tree that
// needs more is pool exhaustion ("No memory"), not an out-of-memory kill.
constexpr size_t kDefaultPoolCeilingBytes = size_t(2) << 30;  // 2 GiB
// Longest picture name a ".quil" file may hold.
constexpr int kMaxPictureName = 1023;

inline constexpr const char* kMsgNoMemory = "No memory";
inline constexpr const char* kMsgPictureNameTooLong = "Filename of picture too long";
inline constexpr const char* kMsgPictureNotLoaded = "Warning: Picture in expression but no picture loaded (yet)";
inline constexpr const char* kMsgErrorLoading = "Error loading QUIL function";

class CQuilExpression {
public:
    explicit CQuilExpression(EngineHost* host = nullptr);
    virtual ~CQuilExpression();
    CQuilExpression(const CQuilExpression&) = delete;
    CQuilExpression& operator=(const CQuilExpression&) = delete;

    // Pool --------------------------------------------------------------
    // Drops every node and hands out a fresh root slot.
    ExprNode* Reset();
    ExprNode* GetRoot() const { return m_pFirstBlock; }
    // The next node of the pool; none (after "No memory") when it is exhausted.
    ExprNode* NewNode();
    int SetDefault();
    static int ContainsPicture(const ExprNode* node);
    void UpdateUsesPicture();
    // Replaces the tree by a deep copy of source's subtree; 0 when the pool runs out.
    int CopyFrom(const ExprNode* source);
    static int KindFromName(std::string_view name);
    // Nodes handed out since the last Reset, the root included.
    size_t NodeCount() const;

    struct PoolState {
        int blocks;               // additional blocks in use
        int capacity;             // nodes of the block being handed out
        int used;                 // nodes handed out of it
        const ExprNode* current;  // the last node handed out
    };
    PoolState Pool() const { return {m_nBlocks, m_nCapacity, m_nUsed, m_pCurrent}; }

    // Random generation ---------------------------------------------------
    // Fills the tree (after Reset) with a random tree under the settings.
    int GenerateRandom(const GenerationSettings& settings, RandomSource& random);
    // Fills node, a node handed out by this pool, with a random branch of at
    // most levels further levels (cut to the settings' maximum level), drawing
    // its own candidate lists as GenerateRandom does. Returns the next free
    // node (hand-out protocol), none when the pool ran out. Sets
    // m_bUsesPicture when the branch holds a "PIC" node and warns about nothing.
    ExprNode* GenerateBranch(ExprNode* node, unsigned levels, const GenerationSettings& settings,
                             RandomSource& random);
    // The candidate lists of the last generation, in their drawn order.
    struct CandidateLists {
        int termCount = 0;
        int funcCount = 0;
        int termKinds[kNumTerminalKinds] = {};
        int funcKinds[kNumFunctionKinds] = {};
        double termWeight[kNumTerminalKinds] = {};
        double funcWeight[kNumFunctionKinds] = {};
    };
    const CandidateLists& LastCandidates() const { return m_candidates; }

    // Text form -------------------------------------------------------------
    // Writes the tree from the root; the picture name goes into the first
    // "PIC" node only. Returns 1, or 0 for a tree that cannot be written.
    int WriteExpression(QuilArchive& ar);
    // Writes one node and its subtree (the picture name as WriteExpression does).
    int WriteNode(QuilArchive& ar, const ExprNode* node) { return WriteTree(ar, node); }
    // Resets the pool and reads one expression; returns the root, or none
    // when the text is not an expression (the tree is then unusable).
    ExprNode* ReadExpression(QuilArchive& ar);
    // The last non-empty picture name read, made absolute.
    const std::string& PictureName() const { return m_szPicture; }
    // The name of a picture as the file at filePath stores it: relative to
    // the file's folder when the picture lies there and the relative name
    // reads back as the same file, else the absolute name; cleaned of ".",
    // ".." and repeated separators either way.
    static std::string MakeRelativePath(const std::string& picturePath, const std::string& filePath);
    // A stored name made absolute against the folder of the file at filePath.
    static std::string MakeAbsolutePath(const std::string& name, const std::string& filePath);
    // The name the writer stores for the picture: MakeRelativePath's, or
    // empty when no name the reader takes back names the same file.
    static std::string PictureNameToWrite(const std::string& picturePath, const std::string& filePath);
    // The name a recipe stores: relative as above, else the file name alone;
    // empty when no such name reads back beside the picture.
    static std::string RecipePictureName(const std::string& sourcePath, const std::string& picturePath);
    // The recipe for a picture saved at picturePath; empty when the tree
    // cannot be written.
    std::string RecipeText(const std::string& picturePath);

    EngineHost& Host() const { return *m_pHost; }
    void SetHost(EngineHost* host);

    // Pool ceiling in bytes shared by all expressions; tests lower it.
    static void SetPoolCeiling(size_t bytes);
    static size_t PoolCeiling();
    // A lower ceiling for this expression alone (0: only the shared one), for
    // trees that are meant to stay small.
    void SetOwnPoolCeiling(size_t bytes) { m_nOwnPoolCeiling = bytes; }

    // Set while the tree holds a "PIC" node (by reading, generating or UpdateUsesPicture).
    int m_bUsesPicture = 0;

private:
    friend struct ExpressionTestAccess;  // lets the pool tests force exhaustion

    struct ReadItem;
    struct ReadFrame;
    enum class ReadAction : int;

    void FreeBlocks();
    // Copies source's subtree into dest and the nodes handed out after it;
    // returns the next free node, or none on failure.
    ExprNode* CopyTree(ExprNode* dest, const ExprNode* source);
    void DrawCandidates(const GenerationSettings& s, RandomSource& random);
    ExprNode* GenerateNodeAt(ExprNode* node, unsigned level);
    // Reads one item into root; returns the next free node (root itself for
    // a bare number), or none on failure.
    ExprNode* ReadTree(QuilArchive& ar, ExprNode* root);
    bool ReadItemStart(QuilArchive& ar, ExprNode* node, int depth, ReadItem& item, int& code);
    ReadAction StepTerminal(QuilArchive& ar, ReadFrame& frame, ReadItem& item);
    ReadAction FinishTerminal(QuilArchive& ar, ReadFrame& frame, ReadItem& item);
    ReadAction StepFunction(QuilArchive& ar, ReadFrame& frame, ReadItem& item);
    void ReadPictureName(QuilArchive& ar, int& terminator);
    int WriteTree(QuilArchive& ar, const ExprNode* root);
    void WriteNodeHead(QuilArchive& ar, const ExprNode& node);

    EngineHost* m_pHost;
    ExprNode* m_pCurrent = nullptr;
    int m_nBlocks = 0;
    ExprNode* m_pBlocks[kMaxPoolBlocks] = {};
    int m_nCapacity = 0;
    int m_nUsed = 0;
    ExprNode* m_pFirstBlock = nullptr;
    size_t m_nPoolBytes = 0;  // bytes of all blocks in use
    size_t m_nOwnPoolCeiling = 0;
    int m_bPicNameWritten = 0;
    int m_bPicWarned = 0;
    std::string m_szPicture;
    CandidateLists m_candidates;
    // Only valid during GenerateRandom.
    const GenerationSettings* m_pGenSettings = nullptr;
    RandomSource* m_pRandom = nullptr;
};
