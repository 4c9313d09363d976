#pragma once
// The settings that steer random generation: a probability per kind, the tree
// depth, early stopping and how many kinds take part; kept in section "Prob"
// of the settings store as integers (probabilities times 10000).

#include "NodeKinds.h"

class SettingsStore;

inline constexpr const char* kSectionProb = "Prob";
// Levels are clamped to 0..kMaxGenerationLevel when they are read and before
// a generation: the range the function creation dialog offers (1 to 20, as
// it shows them). A deeper level only a hand-edited file can hold would grow
// trees of billions of nodes until the pool runs out.
constexpr int kMaxGenerationLevel = 19;

struct GenerationSettings {
    double m_dProb[kNumKinds] = {};
    int m_nTermLevel = 3;
    int m_nMaxLevel = 8;
    double m_dTermProb = 0.2;
    int m_bUseRandConst = 1;
    int m_bUseRandFunc = 1;
    int m_nNumConsts = 13;
    int m_nNumFuncs = 20;

    // Built-in defaults, then the stored values.
    void InitGenerationSettings(SettingsStore& store);
    int LoadGenerationSettings(SettingsStore& store, double* p);
    int SaveGenerationSettings(SettingsStore& store) const;
    static void SetDefaultProbabilities(double* p);
    // Brings levels and counts into the ranges generation can carry.
    void ClampLevelsAndCounts();
};

// p x 10000 + 0.5, truncated, as stored; defined for every double.
int ProbabilityToStored(double p);
