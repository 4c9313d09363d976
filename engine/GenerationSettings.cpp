#include "GenerationSettings.h"

#include "SettingsStore.h"

#include <cmath>
#include <cstdint>

namespace {
double StoredToProbability(int stored) { return static_cast<uint32_t>(stored) / 10000.0; }

template <typename T>
T Clamp(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

int ProbabilityToStored(double p)
{
    // The stored integer is read back as unsigned, so the round trip covers 0 .. 2^32-1.
    const double scaled = p * 10000.0 + 0.5;
    if (!(scaled >= 0.0))
        return 0;
    if (scaled >= 4294967295.0)
        return -1;  // 0xffffffff
    return static_cast<int>(static_cast<uint32_t>(scaled));
}

void GenerationSettings::SetDefaultProbabilities(double* p)
{
    for (int code = 0; code < kNumKinds; ++code)
        p[code] = 0.0;
    for (int code : kProbabilityOrder)
        p[code] = kNodeKinds[code].defaultProbability / 10000.0;
}

void GenerationSettings::ClampLevelsAndCounts()
{
    // Both levels take the dialog's range. A terminating level above the
    // maximum level within it keeps its meaning (early stops at every level).
    m_nMaxLevel = Clamp(m_nMaxLevel, 0, kMaxGenerationLevel);
    m_nTermLevel = Clamp(m_nTermLevel, 0, kMaxGenerationLevel);
    m_nNumConsts = Clamp(m_nNumConsts, 0, kNumTerminalKinds);
    m_nNumFuncs = Clamp(m_nNumFuncs, 0, kNumFunctionKinds);
}

void GenerationSettings::InitGenerationSettings(SettingsStore& store)
{
    m_dTermProb = 0.2;
    m_nMaxLevel = 8;
    m_nTermLevel = 3;
    LoadGenerationSettings(store, m_dProb);

    double sum = 0.0;
    for (int code = 0; code < kNumTerminalKinds; ++code)
        sum += m_dProb[code];
    if (std::fabs(sum - 1.0) > 0.001) {
        if (sum != 0.0) {
            for (int code = 0; code < kNumTerminalKinds; ++code)
                m_dProb[code] /= sum;
        } else {
            SetDefaultProbabilities(m_dProb);
        }
    }
}

int GenerationSettings::LoadGenerationSettings(SettingsStore& store, double* p)
{
    for (int code : kProbabilityOrder) {
        const NodeKindInfo& kind = kNodeKinds[code];
        p[code] = StoredToProbability(store.GetProfileInt(kSectionProb, kind.settingsName, kind.defaultProbability));
    }
    p[KIND_ID] = 0.0;

    double st = 0.0;
    for (int code = 0; code < kNumTerminalKinds; ++code)
        st += p[code];
    if (st <= 0.0)
        return 0;
    if (st != 1.0)
        for (int code = 0; code < kNumTerminalKinds; ++code)
            p[code] /= st;

    double sf = 0.0;
    for (int code = KIND_SIN; code < kNumKinds; ++code)
        sf += p[code];
    if (sf <= 0.0)
        return 0;
    if (sf != 1.0)
        for (int code = KIND_SIN; code < kNumKinds; ++code)
            p[code] /= sf;

    m_nMaxLevel = store.GetProfileInt(kSectionProb, "Maxlevel", m_nMaxLevel);
    m_nTermLevel = store.GetProfileInt(kSectionProb, "Termlevel", m_nTermLevel);
    m_dTermProb = StoredToProbability(store.GetProfileInt(kSectionProb, "Termprob", ProbabilityToStored(m_dTermProb)));
    m_bUseRandConst = store.GetProfileInt(kSectionProb, "UseRandConst", m_bUseRandConst);
    m_bUseRandFunc = store.GetProfileInt(kSectionProb, "UseRandFunc", m_bUseRandFunc);
    m_nNumConsts = store.GetProfileInt(kSectionProb, "NumConsts", m_nNumConsts);
    m_nNumFuncs = store.GetProfileInt(kSectionProb, "NumFuncs", m_nNumFuncs);
    ClampLevelsAndCounts();
    return 1;
}

int GenerationSettings::SaveGenerationSettings(SettingsStore& store) const
{
    bool ok = true;
    for (int code : kProbabilityOrder)
        ok &= store.WriteProfileInt(kSectionProb, kNodeKinds[code].settingsName, ProbabilityToStored(m_dProb[code]));
    ok &= store.WriteProfileInt(kSectionProb, "Maxlevel", m_nMaxLevel);
    ok &= store.WriteProfileInt(kSectionProb, "Termlevel", m_nTermLevel);
    ok &= store.WriteProfileInt(kSectionProb, "Termprob", ProbabilityToStored(m_dTermProb));
    ok &= store.WriteProfileInt(kSectionProb, "UseRandConst", m_bUseRandConst);
    ok &= store.WriteProfileInt(kSectionProb, "UseRandFunc", m_bUseRandFunc);
    ok &= store.WriteProfileInt(kSectionProb, "NumConsts", m_nNumConsts);
    ok &= store.WriteProfileInt(kSectionProb, "NumFuncs", m_nNumFuncs);
    return ok ? 1 : 0;
}
