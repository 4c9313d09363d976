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
    ExprNode* Reset();
    ExprNode* GetRoot() const { return m_pFirstBlock; }
    ExprNode* GetCurrent() const { return m_pCurrent; }
    ExprNode* NewNode();
    int SetDefault();
    static int ContainsPicture(const ExprNode* node);
    void UpdateUsesPicture();
    ExprNode* CopyNode(ExprNode* dest, const ExprNode* source);
    int CopyFrom(const ExprNode* source);
    static int KindFromName(std::string_view name);
    // Nodes handed out since the last Reset, the root included.
    size_t NodeCount() const;

    // Random generation ---------------------------------------------------
    int GenerateRandom(const GenerationSettings& settings, RandomSource& random);
    ExprNode* GenerateNode(ExprNode* node, unsigned level);

    // Text form -------------------------------------------------------------
    int WriteNode(QuilArchive& ar, const ExprNode* node);
    ExprNode* ReadExpression(QuilArchive& ar, ExprNode* root);
    ExprNode* ReadNode(QuilArchive& ar, ExprNode* node, int& terminator, double& number);
    void ReadPictureName(QuilArchive& ar, int& terminator);
    static std::string MakeRelativePath(const std::string& picturePath, const std::string& filePath);
    static std::string MakeAbsolutePath(const std::string& name, const std::string& filePath);

    EngineHost& Host() const { return *m_pHost; }
    void SetHost(EngineHost* host);

    // Pool ceiling in bytes shared by all expressions; tests lower it.
    static void SetPoolCeiling(size_t bytes);
    static size_t PoolCeiling();

    ExprNode* m_pCurrent = nullptr;
    int m_nBlocks = 0;
    ExprNode* m_pBlocks[kMaxPoolBlocks] = {};
    int m_nCapacity = 0;
    int m_nUsed = 0;
    ExprNode* m_pFirstBlock = nullptr;
    int m_bPicNameWritten = 0;
    int m_bPicWarned = 0;
    int m_bUsesPicture = 0;
    std::string m_szPicture;
    int m_nTermCount = 0;
    int m_nFuncCount = 0;
    int m_nFuncKinds[32] = {};
    int m_nTermKinds[32] = {};
    double m_dFuncWeight[32] = {};
    double m_dTermWeight[32] = {};

private:
    void FreeBlocks();
    ExprNode* CopyNodeAt(ExprNode* dest, const ExprNode* source, int depth);
    ExprNode* GenerateNodeAt(ExprNode* node, unsigned level);
    ExprNode* ReadNodeAt(QuilArchive& ar, ExprNode* node, int& terminator, double& number, int depth);
    int WriteNodeAt(QuilArchive& ar, const ExprNode* node, int depth);

    EngineHost* m_pHost;
    size_t m_nPoolBytes = 0;  // bytes of all blocks in use
    // Only valid during GenerateRandom.
    const GenerationSettings* m_pGenSettings = nullptr;
    RandomSource* m_pRandom = nullptr;
};
