// The function creation dialog without widgets: conversions, the reading order
// and its messages, normalising, the level correction, the presets and the
// settings a sample is made under.

#include "dialogs/SetRandomForm.h"

#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

GenerationSettings LoadedDefaults()
{
    MemorySettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    return settings;
}

// A form showing the defaults, every probability field then set to 0.
CSetRandomForm ZeroedForm()
{
    CSetRandomForm form;
    form.Show(ValuesFromSettings(LoadedDefaults()));
    for (QString& text : form.m_strProb)
        text = QStringLiteral("0");
    return form;
}

void SetField(CSetRandomForm& form, int kind, unsigned value) { form.m_strProb[kind] = QString::number(value); }

unsigned GroupSum(const CSetRandomForm& form, const ProbabilityGroup& group)
{
    unsigned sum = 0;
    for (int i = 0; i < group.count; ++i)
        sum += form.m_strProb[group.fields[i].kind].toUInt();
    return sum;
}

}  // namespace

TEST(SetRandomForm, EveryKindWithAProbabilityHasOneFieldAndOneId)
{
    std::vector<int> kinds, ids;
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i) {
            kinds.push_back(group->fields[i].kind);
            ids.push_back(group->fields[i].id);
            EXPECT_EQ(IsTerminalKind(group->fields[i].kind), group == &kTerminalGroup);
        }
    std::vector<int> expected(kProbabilityOrder, kProbabilityOrder + kNumProbabilityValues);
    std::sort(kinds.begin(), kinds.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kinds, expected);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    CSetRandomForm form;
    for (int id : ids)
        EXPECT_NE(form.Text(id), nullptr) << id;
}

TEST(SetRandomForm, ShowsTheSettingsInHundredthsOfAPercentAndLevelsFromOne)
{
    GenerationSettings settings = LoadedDefaults();
    settings.m_dProb[KIND_BW] = 0.123456;
    settings.m_dProb[KIND_PIC] = 0.00005;  // rounds up to 1
    CSetRandomForm form;
    form.Show(ValuesFromSettings(settings));
    EXPECT_EQ(form.m_strProb[KIND_BW], "1235");
    EXPECT_EQ(form.m_strProb[KIND_PIC], "1");
    EXPECT_EQ(form.m_strProb[KIND_X], "2000");
    EXPECT_EQ(form.m_strProb[KIND_IF3], "700");
    EXPECT_EQ(form.m_strMaxLevel, "9");
    EXPECT_EQ(form.m_strTermLevel, "4");
    EXPECT_EQ(form.m_strTermProb, "0.2");
    EXPECT_TRUE(form.m_bUseRandConst);
    EXPECT_TRUE(form.m_bUseRandFunc);
    EXPECT_FALSE(form.NumConstsEnabled());
    // 13 non-zero terminals now, 19 functions ("cross" has none): the use count is lowered to 19.
    EXPECT_EQ(form.m_strOfConsts, "of 13");
    EXPECT_EQ(form.m_strNumConsts, "13");
    EXPECT_EQ(form.m_strOfFuncs, "of 19");
    EXPECT_EQ(form.m_strNumFuncs, "19");
}

TEST(SetRandomForm, AProbabilityComesBackAsItsFieldWhenTheGroupSumsTo10000)
{
    GenerationSettings settings = LoadedDefaults();
    settings.m_dProb[KIND_BW] = 0.123456;  // shown as 1235
    // The terminal group then shows exactly 10000: BW 1235 + RGB 265 + the other defaults (8500).
    settings.m_dProb[KIND_RGB] = 0.0265;
    CSetRandomForm form;
    form.Show(ValuesFromSettings(settings));
    ASSERT_EQ(GroupSum(form, kTerminalGroup), 10000u);
    FieldFailure failure;
    RandomDlgValues accepted;
    ASSERT_EQ(form.Ok(failure, accepted), CSetRandomForm::OkOutcome::Accepted);
    MemorySettingsStore store;
    GenerationSettings stored = LoadedDefaults();
    stored.m_dProb[KIND_ID] = 0.0;
    ASSERT_EQ(StoreRandomDlgValues(accepted, stored, store), 1);
    EXPECT_EQ(stored.m_dProb[KIND_BW], 0.1235);
    EXPECT_EQ(stored.m_dProb[KIND_RGB], 0.0265);
    EXPECT_EQ(stored.m_dProb[KIND_ID], 0.0);
    EXPECT_EQ(store.GetProfileInt(kSectionProb, "BW", -1), 1235);
    // Levels go back counted from 0.
    EXPECT_EQ(stored.m_nMaxLevel, 8);
    EXPECT_EQ(store.GetProfileInt(kSectionProb, "Maxlevel", -1), 8);
    EXPECT_EQ(store.GetProfileInt(kSectionProb, "Termlevel", -1), 3);
    EXPECT_EQ(store.GetProfileInt(kSectionProb, "Termprob", -1), 2000);
}

TEST(SetRandomForm, ApplyScalesEachGroupTo10000WithTheRemainderInCirAndIf3)
{
    CSetRandomForm form = ZeroedForm();
    SetField(form, KIND_BW, 1);
    SetField(form, KIND_X, 1);
    SetField(form, KIND_Y, 1);
    for (int i = 0; i < kNumFunctionFields; ++i)
        SetField(form, kFunctionFields[i].kind, 10000);
    ASSERT_FALSE(form.Apply().Failed());
    EXPECT_EQ(form.m_strProb[KIND_BW], "3333");
    EXPECT_EQ(form.m_strProb[KIND_X], "3333");
    EXPECT_EQ(form.m_strProb[KIND_Y], "3333");
    EXPECT_EQ(form.m_strProb[KIND_CIR], "1");
    EXPECT_EQ(GroupSum(form, kTerminalGroup), 10000u);
    for (int i = 0; i < kNumFunctionFields; ++i)
        EXPECT_EQ(form.m_strProb[kFunctionFields[i].kind], "500") << kFunctionFields[i].kind;

    // A group that sums to 10000 already is left as it is.
    const QString before = form.m_strProb[KIND_BW];
    ASSERT_FALSE(form.Apply().Failed());
    EXPECT_EQ(form.m_strProb[KIND_BW], before);
}

TEST(SetRandomForm, AnEmptyGroupIsRefusedWithItsMessage)
{
    CSetRandomForm form = ZeroedForm();
    SetField(form, KIND_SIN, 100);
    FieldFailure failure = form.Apply();
    EXPECT_EQ(failure.m_strMessage, kMsgNoTerminatingRule);
    EXPECT_EQ(failure.m_nControl, kTerminalFields[0].id);
    RandomDlgValues accepted;
    EXPECT_EQ(form.Ok(failure, accepted), CSetRandomForm::OkOutcome::Refused);
    EXPECT_EQ(failure.m_strMessage, kMsgNoTerminatingRule);

    form = ZeroedForm();
    SetField(form, KIND_X, 100);
    failure = form.Apply();
    EXPECT_EQ(failure.m_strMessage, kMsgNoFunctionRule);
    EXPECT_EQ(failure.m_nControl, kFunctionFields[0].id);
    EXPECT_EQ(form.m_strProb[KIND_X], "100");  // nothing normalised after a refusal
}

TEST(SetRandomForm, AUseCountAboveTheNonZeroFieldsIsLowered)
{
    CSetRandomForm form;
    form.Show(ValuesFromSettings(LoadedDefaults()));
    for (int i = 5; i < kNumFunctionFields; ++i)
        SetField(form, kFunctionFields[i].kind, 0);
    form.m_strNumFuncs = QStringLiteral("20");
    form.m_bUseRandFunc = false;
    RandomDlgValues values;
    ASSERT_FALSE(form.Read(values).Failed());
    EXPECT_EQ(form.m_strNumFuncs, "5");
    EXPECT_EQ(form.m_strOfFuncs, "of 5");
    EXPECT_EQ(values.m_nNumFuncs, 5);
    EXPECT_EQ(values.m_bUseRandFunc, 0);

    // Filling the dialog counts and lowers the same way.
    RandomDlgValues shown = ValuesFromSettings(LoadedDefaults());
    shown.m_nNumConsts = 13;
    shown.m_nProb[KIND_RGB] = 0;
    shown.m_nProb[KIND_XYM] = 0;
    form.Show(shown);
    EXPECT_EQ(form.m_strNumConsts, "10");  // PIC has none by default either
    EXPECT_EQ(form.m_strOfConsts, "of 10");

    // A count of 0 is below the range, whatever the group holds.
    form.m_strNumConsts = QStringLiteral("0");
    const FieldFailure failure = form.Read(values);
    EXPECT_EQ(failure.m_nControl, IDC_NUM_CONSTS);
    EXPECT_EQ(failure.m_strMessage, "Please enter an integer between 1 and 10.");
}

TEST(SetRandomForm, FieldsAreReadInOrderAndTheFirstBadOneIsReported)
{
    struct Case {
        int id;
        const char* text;
        const char* message;
    } cases[] = {
        {2007, "", "Please enter a positive integer."},
        {2044, "10001", "Please enter an integer between 0 and 10000."},
        {2036, "-1", "Please enter a positive integer."},
        {2036, "4294967296", "Please enter an integer between 0 and 10000."},
        {IDC_MAX_LEVEL, "21", "Please enter an integer between 1 and 20."},
        {IDC_MAX_LEVEL, "0", "Please enter an integer between 1 and 20."},
        {IDC_TERM_PROB, "1.5", "Please enter a number between 0 and 1."},
        {IDC_TERM_PROB, "0,5", "Please enter a number."},
        {IDC_TERM_LEVEL, "x", "Please enter a positive integer."},
        {IDC_NUM_FUNCS, "", "Please enter a positive integer."},
    };
    for (const Case& c : cases) {
        CSetRandomForm form;
        form.Show(ValuesFromSettings(LoadedDefaults()));
        *form.Text(c.id) = QString::fromUtf8(c.text);
        // A later field that does not read either is not reached.
        form.m_strNumFuncs = c.id == IDC_NUM_FUNCS ? form.m_strNumFuncs : QStringLiteral("0");
        RandomDlgValues values;
        values.m_nMaxLevel = 77;
        const FieldFailure failure = form.Read(values);
        EXPECT_EQ(failure.m_nControl, c.id) << c.text;
        EXPECT_EQ(failure.m_strMessage, c.message) << c.id << " " << c.text;
        EXPECT_EQ(values.m_nMaxLevel, 77);  // nothing is taken from a read that failed
    }
}

TEST(SetRandomForm, OkLowersATerminatingLevelAboveTheMaximumAndASecondOkAccepts)
{
    CSetRandomForm form;
    form.Show(ValuesFromSettings(LoadedDefaults()));
    form.m_strMaxLevel = QStringLiteral("3");
    form.m_strTermLevel = QStringLiteral("5");
    SetField(form, KIND_X, 4000);  // the terminal group sums to 12000 now
    FieldFailure failure;
    RandomDlgValues accepted;
    accepted.m_nTermLevel = 77;
    EXPECT_EQ(form.Ok(failure, accepted), CSetRandomForm::OkOutcome::LevelCorrected);
    EXPECT_FALSE(failure.Failed());
    EXPECT_EQ(form.m_strTermLevel, "3");
    EXPECT_EQ(accepted.m_nTermLevel, 77);
    EXPECT_EQ(GroupSum(form, kTerminalGroup), 10000u);  // normalised before the check

    EXPECT_EQ(form.Ok(failure, accepted), CSetRandomForm::OkOutcome::Accepted);
    EXPECT_EQ(accepted.m_nMaxLevel, 3);
    EXPECT_EQ(accepted.m_nTermLevel, 3);
    EXPECT_EQ(accepted.m_nProb[KIND_X], 3333u);  // 4000 x 10000 / 12000
}

TEST(SetRandomForm, DefaultRestoresTheTableAndNormalises)
{
    CSetRandomForm form = ZeroedForm();
    form.m_bUseRandConst = false;
    form.m_strMaxLevel = QStringLiteral("junk");
    form.m_strTermProb = QStringLiteral("0.9");
    form.Default();
    for (int code : kProbabilityOrder)
        EXPECT_EQ(form.m_strProb[code], QString::number(kNodeKinds[code].defaultProbability)) << code;
    EXPECT_EQ(form.m_strMaxLevel, "9");
    EXPECT_EQ(form.m_strTermLevel, "4");
    EXPECT_EQ(form.m_strTermProb, "0.2");
    EXPECT_TRUE(form.m_bUseRandConst);
    EXPECT_TRUE(form.m_bUseRandFunc);
    // 13 and 20, lowered by the reading of the normalising to the fields with a share.
    EXPECT_EQ(form.m_strNumConsts, "12");
    EXPECT_EQ(form.m_strNumFuncs, "19");
    EXPECT_EQ(form.m_strOfConsts, "of 12");
    EXPECT_EQ(form.m_strOfFuncs, "of 19");
}

TEST(SetRandomForm, BlackAndWhiteSetsItsTableAndKeepsTheCounts)
{
    // The preset as published with the dialog, kind by kind; all others 0.
    const std::vector<std::pair<int, unsigned>> table = {
        {KIND_BW, 1000},  {KIND_RGB, 0},     {KIND_XYM, 0},     {KIND_CIR, 0},     {KIND_R, 500},
        {KIND_R2, 500},   {KIND_R2C, 1000},  {KIND_X, 2000},    {KIND_Y, 2000},    {KIND_PHI, 1000},
        {KIND_SPIR, 1000}, {KIND_SPIRC, 1000}, {KIND_PIC, 0},   {KIND_SIN, 500},   {KIND_COS, 500},
        {KIND_EXP, 500},  {KIND_LN, 500},    {KIND_NEG, 500},   {KIND_CURT, 1000}, {KIND_CUB, 1000},
        {KIND_PLUS, 500}, {KIND_MINUS, 500}, {KIND_TIMES, 500}, {KIND_DIV1, 500},  {KIND_FMOD, 500},
        {KIND_MIN, 1000}, {KIND_MAX, 1000},  {KIND_MING, 0},    {KIND_MAXG, 0},    {KIND_CROSS, 0},
        {KIND_RGBF, 0},   {KIND_IF, 1000},   {KIND_IF3, 0},
    };
    ASSERT_EQ(table.size(), size_t(kNumProbabilityValues));
    CSetRandomForm form;
    form.Show(ValuesFromSettings(LoadedDefaults()));
    form.m_bUseRandConst = false;
    form.m_strNumConsts = QStringLiteral("4");
    form.m_strNumFuncs = QStringLiteral("17");
    form.m_strMaxLevel = QStringLiteral("15");
    form.m_strTermProb = QStringLiteral("0.7");
    form.BlackAndWhite();
    for (const auto& [kind, value] : table)
        EXPECT_EQ(form.m_strProb[kind], QString::number(value)) << KindName(kind);
    EXPECT_EQ(GroupSum(form, kTerminalGroup), 10000u);
    EXPECT_EQ(GroupSum(form, kFunctionGroup), 10000u);
    EXPECT_EQ(form.m_strMaxLevel, "9");
    EXPECT_EQ(form.m_strTermLevel, "4");
    EXPECT_EQ(form.m_strTermProb, "0.2");
    EXPECT_FALSE(form.m_bUseRandConst);
    EXPECT_TRUE(form.m_bUseRandFunc);
    EXPECT_EQ(form.m_strNumConsts, "4");
    EXPECT_EQ(form.m_strNumFuncs, "15");  // above the 15 functions with a share
    EXPECT_EQ(form.m_strOfConsts, "of 9");
    EXPECT_EQ(form.m_strOfFuncs, "of 15");
}

TEST(SetRandomForm, ASampleFollowsTheFieldsWithoutShowingTheNormalisedValues)
{
    CSetRandomForm form = ZeroedForm();
    SetField(form, KIND_X, 3);
    SetField(form, KIND_SIN, 7);
    form.m_strMaxLevel = QStringLiteral("6");
    GenerationSettings settings = LoadedDefaults();
    ASSERT_FALSE(form.SampleSettings(settings).Failed());
    EXPECT_EQ(form.m_strProb[KIND_X], "3");
    EXPECT_EQ(settings.m_dProb[KIND_X], 1.0);
    EXPECT_EQ(settings.m_dProb[KIND_SIN], 1.0);
    EXPECT_EQ(settings.m_dProb[KIND_BW], 0.0);
    EXPECT_EQ(settings.m_nMaxLevel, 5);

    LcgRandomSource random(99);
    CQuilExpression e;
    for (int tree = 0; tree < 100; ++tree) {
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(settings, random), 1);
        std::vector<const ExprNode*> stack{e.GetRoot()};
        while (!stack.empty()) {
            const ExprNode* node = stack.back();
            stack.pop_back();
            ASSERT_TRUE(node->nKind == KIND_X || node->nKind == KIND_SIN) << KindName(node->nKind);
            for (int c = 0; c < node->nChildren; ++c)
                stack.push_back(node->pChild[c]);
        }
    }

    form.m_strTermProb = QStringLiteral("2");
    const GenerationSettings before = settings;
    EXPECT_EQ(form.SampleSettings(settings).m_nControl, IDC_TERM_PROB);
    EXPECT_EQ(settings.m_nMaxLevel, before.m_nMaxLevel);
}
