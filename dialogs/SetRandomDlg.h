#pragma once
// CSetRandomDlg, "Random Functions": the generation settings in a form for
// people, with a row of sample pictures of what they make. The widgets only
// show CSetRandomForm and hand it the buttons; whoever runs the dialog stores
// Result() after OK (StoreRandomDlgValues).

#include "RandomSampleRow.h"
#include "SetRandomForm.h"

#include <QDialog>

#include <cstdint>
#include <map>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CSetRandomDlg : public QDialog {
    Q_OBJECT
public:
    // initial: the fields as the settings give them (ValuesFromSettings).
    // base: the settings the samples start from (for what has no field).
    // sampleSeed starts the samples' own random source.
    CSetRandomDlg(const RandomDlgValues& initial, const GenerationSettings& base, RandomSampleHost& host,
                  uint32_t sampleSeed, QWidget* parent = nullptr);

    // Valid after the dialog was accepted.
    const RandomDlgValues& Result() const { return m_result; }

    // Controls by id, for help and tests; nullptr for an id the dialog does not have.
    QLineEdit* Edit(int id) const;
    QCheckBox* Check(int id) const;
    QLabel* Static(int id) const;
    QPushButton* Button(int id) const;
    CRandomSampleRow* SampleRow() const { return m_pSampleRow; }

public slots:
    // Reads, normalises, corrects the terminating level (beep, stays open)
    // or closes.
    void accept() override;
    void OnApply();
    void OnDefault();
    void OnBlackAndWhite();
    // Six new samples of the fields as they stand; a field that does not
    // read gets its message and leaves no sample.
    void OnSample();

private:
    QWidget* CreateGroup(const ProbabilityGroup& group, int columns, const char* title, const char* whatsThis,
                         const char* fieldHelp);
    QWidget* CreateLevels();
    QWidget* CreateSampleRow(RandomSampleHost& host, uint32_t sampleSeed);
    QWidget* CreateButtons();
    QLineEdit* AddEdit(int id, int maxLength, int shownDigits, const char* whatsThis);
    void Pull();  // controls -> form
    void Push();  // form -> controls, and the enabling invariant
    void ShowFailure(const FieldFailure& failure);
    // Samples of the fields when they read, without a message when they do not.
    void QuietSample();

    CSetRandomForm m_form;
    GenerationSettings m_base;
    RandomDlgValues m_result;
    std::map<int, QLineEdit*> m_edits;
    std::map<int, QLabel*> m_statics;
    std::map<int, QCheckBox*> m_checks;
    std::map<int, QPushButton*> m_buttons;
    CRandomSampleRow* m_pSampleRow = nullptr;
};
