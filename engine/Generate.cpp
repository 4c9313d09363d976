// Random generation of expression trees.

#include "CNumbers.h"
#include "GenerationSettings.h"
#include "QuilExpression.h"
#include "RandomSource.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {
// u = r / 32767.0: both ends of [0, 1] included.
double UnitDraw(RandomSource& random) { return random.Next() / 32767.0; }
// n(k) = r * k / 32768 with integer division: 0 .. k-1.
int IndexDraw(RandomSource& random, int k) { return (random.Next() * k) / 32768; }

// Weights of the first count candidates, normalised; returns how many
// candidates take part. A kind with probability 0 must never be made while its
// group has one that is not 0: when the drawn candidates hold only such kinds
// (or none), the first count kinds of the group that have a probability, in
// the drawn order, move to the front and take their place, so that the count
// still holds. Only a group that is 0 throughout falls back to equal weights.
int CandidateWeights(const GenerationSettings& s, int* kinds, int count, int groupSize, double* weights)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        weights[i] = s.m_dProb[kinds[i]];
        sum += weights[i];
    }
    if (!(sum > 0.0)) {
        double groupSum = 0.0;
        for (int i = 0; i < groupSize; ++i)
            groupSum += s.m_dProb[kinds[i]];
        if (groupSum > 0.0) {
            const int weighted = int(std::stable_partition(kinds, kinds + groupSize,
                                                           [&s](int kind) { return s.m_dProb[kind] > 0.0; }) -
                                     kinds);
            count = std::clamp(count, 1, weighted);
            sum = 0.0;
            for (int i = 0; i < count; ++i) {
                weights[i] = s.m_dProb[kinds[i]];
                sum += weights[i];
            }
        }
    }
    for (int i = 0; i < count; ++i)
        weights[i] = sum > 0.0 ? weights[i] / sum : 1.0 / count;
    return count;
}

// The first candidate with a weight whose running weight sum reaches u. A
// candidate of weight 0 never wins, not even for u = 0; when u passes the
// whole sum by rounding, the last candidate with a weight wins. -1 when no
// candidate has a weight.
int ChooseCandidate(double u, const double* weights, int count)
{
    double sum = 0.0;
    int last = -1;
    for (int i = 0; i < count; ++i) {
        if (!(weights[i] > 0.0))
            continue;
        sum += weights[i];
        last = i;
        if (u <= sum)
            return i;
    }
    return last;
}
}  // namespace

void CQuilExpression::DrawCandidates(const GenerationSettings& s, RandomSource& random)
{
    int nT;
    if (s.m_bUseRandConst) {
        nT = IndexDraw(random, 11) + 3;
        nT = (IndexDraw(random, 11) + nT + 4) >> 1;
    } else {
        nT = s.m_nNumConsts;
    }
    for (int i = 0; i < kNumTerminalKinds; ++i)
        m_candidates.termKinds[i] = i;
    if (nT != kNumTerminalKinds)
        for (int i = 0; i < 500; ++i) {
            const int k = IndexDraw(random, 12);
            std::swap(m_candidates.termKinds[k], m_candidates.termKinds[k + 1]);
        }
    if (s.m_dProb[KIND_PIC] > 0 && nT >= 1 &&
        std::find(m_candidates.termKinds, m_candidates.termKinds + nT, int(KIND_PIC)) == m_candidates.termKinds + nT)
        m_candidates.termKinds[nT - 1] = KIND_PIC;
    m_candidates.termCount =
        CandidateWeights(s, m_candidates.termKinds, nT, kNumTerminalKinds, m_candidates.termWeight);

    int nF = s.m_bUseRandFunc ? IndexDraw(random, 19) + 3 : s.m_nNumFuncs;
    for (int i = 0; i < kNumFunctionKinds; ++i)
        m_candidates.funcKinds[i] = kFirstFunctionKind + i;
    if (nF != kNumFunctionKinds)
        for (int i = 0; i < 250; ++i) {
            const int k = IndexDraw(random, 20);
            std::swap(m_candidates.funcKinds[k], m_candidates.funcKinds[k + 1]);
        }
    m_candidates.funcCount =
        CandidateWeights(s, m_candidates.funcKinds, nF, kNumFunctionKinds, m_candidates.funcWeight);
}

int CQuilExpression::GenerateRandom(const GenerationSettings& settings, RandomSource& random)
{
    GenerationSettings s = settings;
    s.ClampLevelsAndCounts();
    m_pGenSettings = &s;
    m_pRandom = &random;
    m_bUsesPicture = 0;
    DrawCandidates(s, random);

    ExprNode* last = GenerateNodeAt(GetRoot(), static_cast<unsigned>(s.m_nMaxLevel));
    m_pGenSettings = nullptr;
    m_pRandom = nullptr;
    if (!last)
        return 0;

    if (m_bUsesPicture) {
        m_pHost->EnsureSourcePicture();
        if (m_pHost->SourcePicturePath().empty() && !m_bPicWarned) {
            m_pHost->ShowMessage(kMsgPictureNotLoaded, kCaptionQuil, MessageIcon::Error);
            m_bPicWarned = 1;
        }
    }
    return 1;
}

ExprNode* CQuilExpression::GenerateBranch(ExprNode* node, unsigned levels, const GenerationSettings& settings,
                                          RandomSource& random)
{
    GenerationSettings s = settings;
    s.ClampLevelsAndCounts();
    m_pGenSettings = &s;
    m_pRandom = &random;
    DrawCandidates(s, random);
    ExprNode* next = GenerateNodeAt(node, std::min(levels, static_cast<unsigned>(s.m_nMaxLevel)));
    m_pGenSettings = nullptr;
    m_pRandom = nullptr;
    return next;
}

ExprNode* CQuilExpression::GenerateNodeAt(ExprNode* node, unsigned level)
{
    const GenerationSettings& s = *m_pGenSettings;
    RandomSource& random = *m_pRandom;

    node->dParam[0] = OnTextGrid(UnitDraw(random) * 2 - 1);
    node->dParam[1] = OnTextGrid(UnitDraw(random) * 2 - 1);
    node->dParam[2] = OnTextGrid(UnitDraw(random) * 2 - 1);
    node->nKind = KIND_BW;
    node->nChildren = 0;
    node->pChild[0] = node->pChild[1] = node->pChild[2] = nullptr;

    ExprNode* next = NewNode();
    if (!next)
        return nullptr;

    // Compared unsigned: with the terminating level above the maximum level
    // the difference wraps and every level may stop early.
    bool stop = false;
    const uint32_t stopBelow = uint32_t(s.m_nMaxLevel) - uint32_t(s.m_nTermLevel);
    if (level <= stopBelow)
        stop = UnitDraw(random) < s.m_dTermProb;

    if (level == 0 || stop) {
        const int i = ChooseCandidate(UnitDraw(random), m_candidates.termWeight, m_candidates.termCount);
        if (i >= 0) {
            node->nKind = m_candidates.termKinds[i];
            if (node->nKind == KIND_PIC)
                m_bUsesPicture = 1;
        }
        return next;
    }

    const int i = ChooseCandidate(UnitDraw(random), m_candidates.funcWeight, m_candidates.funcCount);
    if (i < 0)
        return next;  // nothing won: the node stays a "BW" leaf
    const int code = m_candidates.funcKinds[i];
    node->nKind = code;
    node->nChildren = KindArity(code);
    for (int j = 0; j < node->nChildren; ++j) {
        node->pChild[j] = next;
        next = GenerateNodeAt(next, level - 1);
        if (!next)
            return nullptr;
    }
    return next;
}
