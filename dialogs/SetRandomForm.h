#pragma once
// The function creation dialog without widgets. CSetRandomForm holds what the
// dialog's controls hold (texts and the two check boxes) and carries out its
// buttons: reading the fields in order with their messages, normalising each
// probability group to 10000, the level correction of OK, the presets, and
// the settings a sample of the fields is generated under. The conversions to
// and from the generation settings stand beside it: probabilities as whole
// hundredths of a percent, levels counted from 1.

#include "engine/GenerationSettings.h"

#include <QString>

class SettingsStore;

// Dialog 133 and its controls.
constexpr int IDD_SET_RANDOM = 133;
constexpr int IDC_OK = 1;
constexpr int IDC_CANCEL = 2;
constexpr int IDC_TERM_PROB = 2026;
constexpr int IDC_MAX_LEVEL = 2027;
constexpr int IDC_TERM_LEVEL = 2028;
constexpr int IDC_DEFAULT = 2029;
constexpr int IDC_APPLY = 2033;
constexpr int IDC_BLACK_WHITE = 2068;
constexpr int IDC_NUM_CONSTS = 2071;
constexpr int IDC_USE_RAND_CONST = 2072;
constexpr int IDC_OF_CONSTS = 2073;
constexpr int IDC_NUM_FUNCS = 2074;
constexpr int IDC_OF_FUNCS = 2075;
constexpr int IDC_USE_RAND_FUNC = 2076;

inline constexpr const char* kMsgNoTerminatingRule =
    "At least one terminating rule should have a probability not equal zero";
inline constexpr const char* kMsgNoFunctionRule = "At least one function rule should have a probability not equal zero";
inline constexpr const char* kOfCountText = "of %1";

// A field's unit is 1/10000: 10000 is 100 %.
constexpr unsigned kProbabilityScale = 10000;
constexpr unsigned kMinLevelField = 1;
constexpr unsigned kMaxLevelField = 20;
constexpr double kMinTermProbField = 0.0;
constexpr double kMaxTermProbField = 1.0;

struct ProbabilityField {
    int kind;  // kind code
    int id;    // its edit
};
constexpr int kNumTerminalFields = 13;
constexpr int kNumFunctionFields = 20;
// In the dialog's order, which is also the order the fields are read in.
extern const ProbabilityField kTerminalFields[kNumTerminalFields];
extern const ProbabilityField kFunctionFields[kNumFunctionFields];

// One probability group and the controls that go with it.
struct ProbabilityGroup {
    const ProbabilityField* fields;
    int count;
    int remainderKind;       // takes what normalising leaves over
    int numId;               // "Use" N
    int ofId;                // "of %d"
    int useRandomId;         // "Use random number"
    const char* emptyMessage;
};
extern const ProbabilityGroup kTerminalGroup;
extern const ProbabilityGroup kFunctionGroup;

// The fields as numbers.
struct RandomDlgValues {
    unsigned m_nProb[kNumKinds] = {};  // hundredths of a percent by kind code; "id" has no field
    int m_nNumConsts = 13;
    int m_bUseRandConst = 1;
    int m_nNumFuncs = 20;
    int m_bUseRandFunc = 1;
    int m_nMaxLevel = 9;   // counted from 1
    int m_nTermLevel = 4;  // counted from 1
    double m_dTermProb = 0.2;
};

// What the dialog shows for the settings: each probability p as
// trunc(p x 10000 + 0.5), the levels plus 1.
RandomDlgValues ValuesFromSettings(const GenerationSettings& settings);
// The other way (each probability field / 10000, levels minus 1). "id" keeps its 0.
void ValuesToSettings(const RandomDlgValues& values, GenerationSettings& settings);
// OK's effect: the settings take the values and are saved. Returns what saving returns.
int StoreRandomDlgValues(const RandomDlgValues& values, GenerationSettings& settings, SettingsStore& store);

// Scales each group with a sum other than 10000 (and above 0) to 10000 by
// integer division, the group's remainder kind taking what is left.
void NormaliseGroups(RandomDlgValues& values);
// The "&Default" values before normalising.
RandomDlgValues DefaultDlgValues();
// "Black and &White": its probabilities, levels and terminating probability;
// the check boxes and use counts of values stay.
void SetBlackAndWhite(RandomDlgValues& values);
// Non-zero fields of a group.
int NonZeroFields(const RandomDlgValues& values, const ProbabilityGroup& group);

// A field that did not read: its control and its message ("Quil" boxes).
struct FieldFailure {
    int m_nControl = 0;  // 0: every field read
    QString m_strMessage;
    bool Failed() const { return m_nControl != 0; }
};

class CSetRandomForm {
public:
    // What the controls hold.
    QString m_strProb[kNumKinds];
    QString m_strNumConsts, m_strNumFuncs;
    QString m_strOfConsts, m_strOfFuncs;
    QString m_strMaxLevel, m_strTermLevel, m_strTermProb;
    bool m_bUseRandConst = true;
    bool m_bUseRandFunc = true;

    // The text of an edit or static text by control id; nullptr for others.
    QString* Text(int id);
    // The enabling invariant: a group's use count is open exactly while its
    // "Use random number" box is clear.
    bool NumConstsEnabled() const { return !m_bUseRandConst; }
    bool NumFuncsEnabled() const { return !m_bUseRandFunc; }

    // Fills every control; counts each group's non-zero fields into its
    // "of %d" and lowers a use count above that.
    void Show(const RandomDlgValues& values);
    // Reads the fields in order; the first that does not read is the failure
    // and nothing after it is read. Shows the counts and lowered use counts
    // as it goes.
    FieldFailure Read(RandomDlgValues& values);

    // "&Apply": reads, normalises and shows.
    FieldFailure Apply();
    enum class OkOutcome { Refused, LevelCorrected, Accepted };
    // OK: reads and normalises; a terminating level above the maximum level
    // is set to it (LevelCorrected: the dialog beeps and stays open).
    // Accepted values go to accepted.
    OkOutcome Ok(FieldFailure& failure, RandomDlgValues& accepted);
    // "&Default": the default values, shown and normalised.
    void Default();
    // "Black and &White": the preset, shown; check boxes and use counts stay.
    void BlackAndWhite();
    // The settings a sample is generated under: the fields read and
    // normalised as Apply does, without showing the normalised values.
    FieldFailure SampleSettings(GenerationSettings& settings);

private:
    FieldFailure ReadGroup(RandomDlgValues& values, const ProbabilityGroup& group);
    // The "of %d" of a group and its use count lowered to that (when it reads).
    void ShowCount(const RandomDlgValues& values, const ProbabilityGroup& group);
};
