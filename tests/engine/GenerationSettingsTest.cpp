// Loading, normalising and saving the generation settings.

#include "engine/GenerationSettings.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GenerationSettings, EmptyStoreGivesDefaults)
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    for (int code : kProbabilityOrder)
        EXPECT_DOUBLE_EQ(s.m_dProb[code], kNodeKinds[code].defaultProbability / 10000.0) << KindName(code);
    EXPECT_DOUBLE_EQ(s.m_dProb[KIND_X], 0.2);
    EXPECT_DOUBLE_EQ(s.m_dProb[KIND_NEG], 0.03);
    EXPECT_EQ(s.m_dProb[KIND_CROSS], 0.0);
    EXPECT_EQ(s.m_dProb[KIND_PIC], 0.0);
    EXPECT_EQ(s.m_dProb[KIND_ID], 0.0);
    EXPECT_EQ(s.m_nMaxLevel, 8);
    EXPECT_EQ(s.m_nTermLevel, 3);
    EXPECT_DOUBLE_EQ(s.m_dTermProb, 0.2);
    EXPECT_EQ(s.m_bUseRandConst, 1);
    EXPECT_EQ(s.m_bUseRandFunc, 1);
    EXPECT_EQ(s.m_nNumConsts, 13);
    EXPECT_EQ(s.m_nNumFuncs, 20);
}

TEST(GenerationSettings, TerminalGroupIsNormalised)
{
    MemorySettingsStore store;
    for (int code : kProbabilityOrder)
        if (code < 13)
            store.WriteProfileInt("Prob", kNodeKinds[code].settingsName, 0);
    store.WriteProfileInt("Prob", "X", 2500);
    store.WriteProfileInt("Prob", "Y", 2500);
    store.WriteProfileInt("Prob", "Maxlevel", 5);
    GenerationSettings s;
    s.InitGenerationSettings(store);
    EXPECT_DOUBLE_EQ(s.m_dProb[KIND_X], 0.5);
    EXPECT_DOUBLE_EQ(s.m_dProb[KIND_Y], 0.5);
    EXPECT_EQ(s.m_dProb[KIND_BW], 0.0);
    EXPECT_EQ(s.m_nMaxLevel, 5);
}

TEST(GenerationSettings, AllTerminalsZeroFallsBackAndSkipsLevels)
{
    MemorySettingsStore store;
    for (int code : kProbabilityOrder)
        store.WriteProfileInt("Prob", kNodeKinds[code].settingsName, code < 13 ? 0 : 1234);
    store.WriteProfileInt("Prob", "Maxlevel", 12);
    GenerationSettings s;
    s.InitGenerationSettings(store);
    for (int code : kProbabilityOrder)
        EXPECT_DOUBLE_EQ(s.m_dProb[code], kNodeKinds[code].defaultProbability / 10000.0) << KindName(code);
    EXPECT_EQ(s.m_nMaxLevel, 8);  // the stored level was not read
}

TEST(GenerationSettings, AllFunctionsZeroKeepZerosAndBuiltInLevels)
{
    MemorySettingsStore store;
    for (int code : kProbabilityOrder)
        if (code >= 13)
            store.WriteProfileInt("Prob", kNodeKinds[code].settingsName, 0);
    store.WriteProfileInt("Prob", "Termlevel", 6);
    GenerationSettings s;
    double p[kNumKinds];
    s.m_nTermLevel = 3;
    EXPECT_EQ(s.LoadGenerationSettings(store, p), 0);
    for (int code = 14; code < kNumKinds; ++code)
        EXPECT_EQ(p[code], 0.0);
    EXPECT_EQ(s.m_nTermLevel, 3);
}

TEST(GenerationSettings, ScalingAndRounding)
{
    MemorySettingsStore store;
    store.WriteProfileInt("Prob", "Termprob", 1234);
    GenerationSettings s;
    s.InitGenerationSettings(store);
    EXPECT_DOUBLE_EQ(s.m_dTermProb, 0.1234);
    MemorySettingsStore out;
    ASSERT_EQ(s.SaveGenerationSettings(out), 1);
    EXPECT_EQ(out.GetProfileInt("Prob", "Termprob", -1), 1234);
    for (int code : kProbabilityOrder)
        EXPECT_EQ(out.GetProfileInt("Prob", kNodeKinds[code].settingsName, -1), kNodeKinds[code].defaultProbability)
            << KindName(code);
    EXPECT_EQ(out.GetProfileInt("Prob", "Maxlevel", -1), 8);
    EXPECT_EQ(out.GetProfileInt("Prob", "NumFuncs", -1), 20);
    EXPECT_FALSE(out.Contains("Prob", "id"));

    EXPECT_EQ(ProbabilityToStored(0.00005), 1);
    EXPECT_EQ(ProbabilityToStored(0.000049), 0);
    EXPECT_EQ(ProbabilityToStored(1.0), 10000);
    // Defined for every double: no undefined conversion.
    EXPECT_EQ(ProbabilityToStored(-3.0), 0);
    EXPECT_EQ(ProbabilityToStored(1e300), -1);
    EXPECT_EQ(ProbabilityToStored(std::nan("")), 0);
}

TEST(GenerationSettings, StoredValuesAreReadUnsignedAndClamped)
{
    MemorySettingsStore store;
    store.WriteProfileInt("Prob", "Termprob", -1);   // 4294967295 unsigned
    store.WriteProfileInt("Prob", "Maxlevel", -7);
    store.WriteProfileInt("Prob", "Termlevel", 2000000000);
    store.WriteProfileInt("Prob", "NumConsts", 99);
    store.WriteProfileInt("Prob", "NumFuncs", -3);
    store.WriteProfileString("Prob", "X", "lots");   // not a number: the default
    GenerationSettings s;
    s.InitGenerationSettings(store);
    EXPECT_DOUBLE_EQ(s.m_dTermProb, 4294967295.0 / 10000.0);
    EXPECT_EQ(s.m_nMaxLevel, 0);
    EXPECT_EQ(s.m_nTermLevel, kMaxGenerationLevel);
    EXPECT_EQ(s.m_nNumConsts, 13);
    EXPECT_EQ(s.m_nNumFuncs, 0);
    EXPECT_DOUBLE_EQ(s.m_dProb[KIND_X], 0.2);

    store.WriteProfileInt("Prob", "Maxlevel", 1 << 30);
    s.InitGenerationSettings(store);
    EXPECT_EQ(s.m_nMaxLevel, kMaxGenerationLevel);

    // A saved huge probability survives the round trip as stored.
    MemorySettingsStore out;
    s.SaveGenerationSettings(out);
    EXPECT_EQ(out.GetProfileInt("Prob", "Termprob", 0), -1);
}

TEST(GenerationSettings, LevelsTakeTheDialogsRange)
{
    // The function creation dialog offers levels 1 to 20, stored 0 to 19. A
    // hand-edited 1024 used to grow trees until the pool ran out.
    MemorySettingsStore store;
    store.WriteProfileInt("Prob", "Maxlevel", 1024);
    store.WriteProfileInt("Prob", "Termlevel", 1024);
    GenerationSettings s;
    s.InitGenerationSettings(store);
    EXPECT_EQ(s.m_nMaxLevel, 19);
    EXPECT_EQ(s.m_nTermLevel, 19);
    store.WriteProfileInt("Prob", "Maxlevel", 19);
    store.WriteProfileInt("Prob", "Termlevel", 0);
    s.InitGenerationSettings(store);
    EXPECT_EQ(s.m_nMaxLevel, 19);
    EXPECT_EQ(s.m_nTermLevel, 0);

    // Settings made in code are held to the same range when they generate.
    GenerationSettings deep = s;
    deep.m_nMaxLevel = 1024;
    deep.m_nTermLevel = 3;
    deep.m_dTermProb = 0.0;
    deep.ClampLevelsAndCounts();
    EXPECT_EQ(deep.m_nMaxLevel, 19);
    EXPECT_EQ(deep.m_nTermLevel, 3);
}

TEST(GenerationSettings, SaveReportsAFailingStore)
{
    MemorySettingsStore store;
    store.m_bFailWrites = true;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    EXPECT_EQ(s.SaveGenerationSettings(store), 0);
}

TEST(GenerationSettings, DefaultButtonFillsAll34)
{
    double p[kNumKinds];
    for (double& v : p)
        v = 7;
    GenerationSettings::SetDefaultProbabilities(p);
    EXPECT_EQ(p[KIND_ID], 0.0);
    EXPECT_EQ(p[KIND_CROSS], 0.0);
    EXPECT_EQ(p[KIND_PIC], 0.0);
    EXPECT_DOUBLE_EQ(p[KIND_MAXG], 0.05);
    EXPECT_DOUBLE_EQ(p[KIND_RGBF], 0.07);
}
