#include "SetRandomForm.h"

#include "FieldExchange.h"

#include "engine/SettingsStore.h"

#include <cstdint>

const ProbabilityField kTerminalFields[kNumTerminalFields] = {
    {KIND_BW, 2007},  {KIND_RGB, 2008}, {KIND_XYM, 2013}, {KIND_CIR, 2030},  {KIND_R, 2011},
    {KIND_R2, 2035},  {KIND_R2C, 2034}, {KIND_X, 2009},   {KIND_Y, 2010},    {KIND_PHI, 2012},
    {KIND_SPIR, 2043}, {KIND_SPIRC, 2044}, {KIND_PIC, 2037},
};

const ProbabilityField kFunctionFields[kNumFunctionFields] = {
    {KIND_SIN, 2014},   {KIND_COS, 2015},  {KIND_EXP, 2016},   {KIND_LN, 2038},   {KIND_NEG, 2017},
    {KIND_CURT, 2039},  {KIND_CUB, 2040},  {KIND_PLUS, 2018},  {KIND_MINUS, 2019}, {KIND_TIMES, 2020},
    {KIND_DIV1, 2021},  {KIND_FMOD, 2022}, {KIND_MIN, 2031},   {KIND_MAX, 2032},  {KIND_MING, 2041},
    {KIND_MAXG, 2042},  {KIND_CROSS, 2023}, {KIND_RGBF, 2024}, {KIND_IF, 2025},   {KIND_IF3, 2036},
};

const ProbabilityGroup kTerminalGroup = {kTerminalFields, kNumTerminalFields, KIND_CIR, IDC_NUM_CONSTS,
                                         IDC_OF_CONSTS,   IDC_USE_RAND_CONST, kMsgNoTerminatingRule};
const ProbabilityGroup kFunctionGroup = {kFunctionFields, kNumFunctionFields, KIND_IF3, IDC_NUM_FUNCS,
                                         IDC_OF_FUNCS,    IDC_USE_RAND_FUNC,  kMsgNoFunctionRule};

namespace {

// The "Black and &White" preset; every kind not named has 0. Each group sums to 10000.
struct PresetValue {
    int kind;
    unsigned value;
};
constexpr PresetValue kBlackAndWhite[] = {
    {KIND_BW, 1000},   {KIND_R, 500},     {KIND_R2, 500},    {KIND_R2C, 1000},  {KIND_X, 2000},
    {KIND_Y, 2000},    {KIND_PHI, 1000},  {KIND_SPIR, 1000}, {KIND_SPIRC, 1000},
    {KIND_SIN, 500},   {KIND_COS, 500},   {KIND_EXP, 500},   {KIND_LN, 500},    {KIND_NEG, 500},
    {KIND_CURT, 1000}, {KIND_CUB, 1000},  {KIND_PLUS, 500},  {KIND_MINUS, 500}, {KIND_TIMES, 500},
    {KIND_DIV1, 500},  {KIND_FMOD, 500},  {KIND_MIN, 1000},  {KIND_MAX, 1000},  {KIND_IF, 1000},
};
// Both presets set these.
constexpr double kPresetTermProb = 0.2;
constexpr int kPresetMaxLevel = 9;
constexpr int kPresetTermLevel = 4;

QString Number(unsigned value) { return QString::number(value); }

void NormaliseGroup(RandomDlgValues& values, const ProbabilityGroup& group)
{
    uint64_t sum = 0;
    for (int i = 0; i < group.count; ++i)
        sum += values.m_nProb[group.fields[i].kind];
    if (sum == 0 || sum == kProbabilityScale)
        return;
    uint64_t others = 0;
    for (int i = 0; i < group.count; ++i) {
        const int kind = group.fields[i].kind;
        if (kind == group.remainderKind)
            continue;
        values.m_nProb[kind] = unsigned(uint64_t(values.m_nProb[kind]) * kProbabilityScale / sum);
        others += values.m_nProb[kind];
    }
    // Truncating never adds up to more than the whole, so the remainder is never negative.
    values.m_nProb[group.remainderKind] = unsigned(kProbabilityScale - others);
}

}  // namespace

// Conversions ------------------------------------------------------------------------------

RandomDlgValues ValuesFromSettings(const GenerationSettings& settings)
{
    RandomDlgValues values;
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i) {
            const int kind = group->fields[i].kind;
            values.m_nProb[kind] = unsigned(ProbabilityToStored(settings.m_dProb[kind]));
        }
    values.m_nNumConsts = settings.m_nNumConsts;
    values.m_bUseRandConst = settings.m_bUseRandConst ? 1 : 0;
    values.m_nNumFuncs = settings.m_nNumFuncs;
    values.m_bUseRandFunc = settings.m_bUseRandFunc ? 1 : 0;
    values.m_nMaxLevel = settings.m_nMaxLevel + 1;
    values.m_nTermLevel = settings.m_nTermLevel + 1;
    values.m_dTermProb = settings.m_dTermProb;
    return values;
}

void ValuesToSettings(const RandomDlgValues& values, GenerationSettings& settings)
{
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i) {
            const int kind = group->fields[i].kind;
            settings.m_dProb[kind] = values.m_nProb[kind] / double(kProbabilityScale);
        }
    settings.m_nNumConsts = values.m_nNumConsts;
    settings.m_bUseRandConst = values.m_bUseRandConst ? 1 : 0;
    settings.m_nNumFuncs = values.m_nNumFuncs;
    settings.m_bUseRandFunc = values.m_bUseRandFunc ? 1 : 0;
    settings.m_nMaxLevel = values.m_nMaxLevel - 1;
    settings.m_nTermLevel = values.m_nTermLevel - 1;
    settings.m_dTermProb = values.m_dTermProb;
}

int StoreRandomDlgValues(const RandomDlgValues& values, GenerationSettings& settings, SettingsStore& store)
{
    ValuesToSettings(values, settings);
    return settings.SaveGenerationSettings(store);
}

void NormaliseGroups(RandomDlgValues& values)
{
    NormaliseGroup(values, kTerminalGroup);
    NormaliseGroup(values, kFunctionGroup);
}

RandomDlgValues DefaultDlgValues()
{
    RandomDlgValues values;
    double p[kNumKinds];
    GenerationSettings::SetDefaultProbabilities(p);
    for (int kind = 0; kind < kNumKinds; ++kind)
        values.m_nProb[kind] = unsigned(p[kind] * kProbabilityScale);  // exact for the defaults: cut, not rounded
    values.m_nNumConsts = kNumTerminalFields;
    values.m_nNumFuncs = kNumFunctionFields;
    values.m_bUseRandConst = 1;
    values.m_bUseRandFunc = 1;
    values.m_dTermProb = kPresetTermProb;
    values.m_nMaxLevel = kPresetMaxLevel;
    values.m_nTermLevel = kPresetTermLevel;
    return values;
}

void SetBlackAndWhite(RandomDlgValues& values)
{
    for (unsigned& p : values.m_nProb)
        p = 0;
    for (const PresetValue& preset : kBlackAndWhite)
        values.m_nProb[preset.kind] = preset.value;
    values.m_dTermProb = kPresetTermProb;
    values.m_nMaxLevel = kPresetMaxLevel;
    values.m_nTermLevel = kPresetTermLevel;
}

int NonZeroFields(const RandomDlgValues& values, const ProbabilityGroup& group)
{
    int count = 0;
    for (int i = 0; i < group.count; ++i)
        count += values.m_nProb[group.fields[i].kind] != 0;
    return count;
}

// The form ---------------------------------------------------------------------------------

QString* CSetRandomForm::Text(int id)
{
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i)
            if (group->fields[i].id == id)
                return &m_strProb[group->fields[i].kind];
    switch (id) {
    case IDC_NUM_CONSTS:
        return &m_strNumConsts;
    case IDC_NUM_FUNCS:
        return &m_strNumFuncs;
    case IDC_OF_CONSTS:
        return &m_strOfConsts;
    case IDC_OF_FUNCS:
        return &m_strOfFuncs;
    case IDC_MAX_LEVEL:
        return &m_strMaxLevel;
    case IDC_TERM_LEVEL:
        return &m_strTermLevel;
    case IDC_TERM_PROB:
        return &m_strTermProb;
    default:
        return nullptr;
    }
}

void CSetRandomForm::ShowCount(const RandomDlgValues& values, const ProbabilityGroup& group)
{
    const int count = NonZeroFields(values, group);
    *Text(group.ofId) = QString::fromUtf8(kOfCountText).arg(count);
    QString& num = *Text(group.numId);
    unsigned n = 0;
    if (ReadUnsignedField(num, n) == FieldError::None && n > unsigned(count))
        num = QString::number(count);
}

void CSetRandomForm::Show(const RandomDlgValues& values)
{
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i)
            m_strProb[group->fields[i].kind] = Number(values.m_nProb[group->fields[i].kind]);
    m_strNumConsts = QString::number(values.m_nNumConsts);
    m_strNumFuncs = QString::number(values.m_nNumFuncs);
    m_bUseRandConst = values.m_bUseRandConst != 0;
    m_bUseRandFunc = values.m_bUseRandFunc != 0;
    m_strMaxLevel = QString::number(values.m_nMaxLevel);
    m_strTermLevel = QString::number(values.m_nTermLevel);
    m_strTermProb = NumberFieldText(values.m_dTermProb);
    ShowCount(values, kTerminalGroup);
    ShowCount(values, kFunctionGroup);
}

FieldFailure CSetRandomForm::Read(RandomDlgValues& values)
{
    RandomDlgValues read = values;
    auto failure = [](int id, const QString& message) { return FieldFailure{id, message}; };
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i) {
            const ProbabilityField& field = group->fields[i];
            const FieldError error = ReadUnsignedField(m_strProb[field.kind], 0, kProbabilityScale, read.m_nProb[field.kind]);
            if (error != FieldError::None)
                return failure(field.id, FieldErrorMessage(error, 0, kProbabilityScale));
        }

    unsigned level = 0;
    FieldError error = ReadUnsignedField(m_strMaxLevel, kMinLevelField, kMaxLevelField, level);
    if (error != FieldError::None)
        return failure(IDC_MAX_LEVEL, FieldErrorMessage(error, kMinLevelField, kMaxLevelField));
    read.m_nMaxLevel = int(level);
    error = ReadNumberField(m_strTermProb, kMinTermProbField, kMaxTermProbField, read.m_dTermProb);
    if (error != FieldError::None)
        return failure(IDC_TERM_PROB, NumberFieldErrorMessage(error, kMinTermProbField, kMaxTermProbField));
    error = ReadUnsignedField(m_strTermLevel, kMinLevelField, kMaxLevelField, level);
    if (error != FieldError::None)
        return failure(IDC_TERM_LEVEL, FieldErrorMessage(error, kMinLevelField, kMaxLevelField));
    read.m_nTermLevel = int(level);

    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup}) {
        const FieldFailure groupFailure = ReadGroup(read, *group);
        if (groupFailure.Failed())
            return groupFailure;
    }
    values = read;
    return {};
}

FieldFailure CSetRandomForm::ReadGroup(RandomDlgValues& values, const ProbabilityGroup& group)
{
    const int count = NonZeroFields(values, group);
    if (count == 0)
        return {group.fields[0].id, QString::fromUtf8(group.emptyMessage)};
    *Text(group.ofId) = QString::fromUtf8(kOfCountText).arg(count);
    QString& num = *Text(group.numId);
    unsigned n = 0;
    FieldError error = ReadUnsignedField(num, n);
    if (error != FieldError::None)
        return {group.numId, FieldErrorMessage(error)};
    if (n > unsigned(count))
        num = QString::number(count);
    error = ReadUnsignedField(num, 1u, unsigned(count), n);
    if (error != FieldError::None)
        return {group.numId, FieldErrorMessage(error, 1, count)};
    if (group.numId == IDC_NUM_CONSTS) {
        values.m_nNumConsts = int(n);
        values.m_bUseRandConst = m_bUseRandConst ? 1 : 0;
    } else {
        values.m_nNumFuncs = int(n);
        values.m_bUseRandFunc = m_bUseRandFunc ? 1 : 0;
    }
    return {};
}

FieldFailure CSetRandomForm::Apply()
{
    RandomDlgValues values;
    const FieldFailure failure = Read(values);
    if (failure.Failed())
        return failure;
    NormaliseGroups(values);
    Show(values);
    return {};
}

CSetRandomForm::OkOutcome CSetRandomForm::Ok(FieldFailure& failure, RandomDlgValues& accepted)
{
    RandomDlgValues values;
    failure = Read(values);
    if (failure.Failed())
        return OkOutcome::Refused;
    NormaliseGroups(values);
    if (values.m_nMaxLevel < values.m_nTermLevel) {
        values.m_nTermLevel = values.m_nMaxLevel;
        Show(values);
        return OkOutcome::LevelCorrected;
    }
    Show(values);
    accepted = values;
    return OkOutcome::Accepted;
}

void CSetRandomForm::Default()
{
    Show(DefaultDlgValues());
    // Every field was just filled with a value that reads.
    Apply();
}

void CSetRandomForm::BlackAndWhite()
{
    RandomDlgValues preset;
    SetBlackAndWhite(preset);
    for (const ProbabilityGroup* group : {&kTerminalGroup, &kFunctionGroup})
        for (int i = 0; i < group->count; ++i)
            m_strProb[group->fields[i].kind] = Number(preset.m_nProb[group->fields[i].kind]);
    m_strMaxLevel = QString::number(preset.m_nMaxLevel);
    m_strTermLevel = QString::number(preset.m_nTermLevel);
    m_strTermProb = NumberFieldText(preset.m_dTermProb);
    ShowCount(preset, kTerminalGroup);
    ShowCount(preset, kFunctionGroup);
}

FieldFailure CSetRandomForm::SampleSettings(GenerationSettings& settings)
{
    RandomDlgValues values;
    const FieldFailure failure = Read(values);
    if (failure.Failed())
        return failure;
    NormaliseGroups(values);
    ValuesToSettings(values, settings);
    return {};
}
