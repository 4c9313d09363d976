#pragma once
// What the three size dialogs (custom copy, custom save, display settings)
// build alike: their control ids and shared labels, the pixel edits, the
// group of margin modes, and CLinkedSizeEdits, which ties a width edit, a
// height edit and a "keep aspect" box to one CLinkedSize.

#include "ControlName.h"
#include "LinkedSize.h"
#include "PixelFields.h"

#include <QObject>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QWidget;

// Controls shared by the size dialogs.
constexpr int IDC_X_EDIT = 2000;
constexpr int IDC_Y_EDIT = 2001;
constexpr int IDC_KEEP_ASPECT = 2002;
constexpr int IDC_ANTIALIAS = 2003;
constexpr int IDC_MARGIN_FIRST = 2004;  // 2004 .. 2008, one per MarginMode
constexpr int IDC_ABORT = 2040;
constexpr int IDC_COPY = 2041;
constexpr int IDC_PROGRESS = 2042;
constexpr int IDC_PREVIEW = 2061;
constexpr int IDC_X_PIXEL = 2062;
constexpr int IDC_Y_PIXEL = 2063;
constexpr int IDC_PROGRESS_TEXT = 2065;

inline constexpr const char* kKeepAspectLabel = "keep aspect";
inline constexpr const char* kAntiAliasLabel = "antialias";
inline constexpr const char* kMarginGroupTitle = "Add black margins to fit aspect ratio";
inline constexpr const char* kWhatsThisAntiAlias = "Four samples per pixel: smoother edges, four times the work.";
inline constexpr const char* kWhatsThisKeepAspect =
    "Changing the width changes the height in the same ratio, and the other way round.";

// A size edit: digits only, as many as the largest value needs and a few more.
QLineEdit* MakePixelEdit(QWidget* parent, int id, unsigned value);
// The margin modes as radio buttons in a group box; the button group's ids
// are the modes. mode is checked.
QGroupBox* MakeMarginGroup(QWidget* parent, QButtonGroup*& buttons, int mode);

// Reads the two pixel edits by rule. A refusal is shown in a message box
// over dialog, and the edit at fault gets the focus with its text selected
// (a copy whose sizes were cut leaves the focus to the caller).
PixelReading ReadPixelEdits(QWidget* dialog, PixelRule rule, QLineEdit* x, QLineEdit* y);

class CLinkedSizeEdits : public QObject {
    Q_OBJECT
public:
    // Starts with the ratio of the edits' values.
    CLinkedSizeEdits(CLinkedSize::Rules rules, QLineEdit* x, QLineEdit* y, QCheckBox* keepAspect);

    const CLinkedSize& Link() const { return m_link; }
    double Aspect() const { return m_link.Aspect(); }
    // Writes both sizes without the keep-aspect rule and takes their ratio.
    void SetBoth(unsigned x, unsigned y);

signals:
    // An edit changed or the ratio was taken again (after the rule was applied).
    void Changed();

private:
    void OnEdited(CLinkedSize::Edit edit);

    CLinkedSize m_link;
    QLineEdit* m_pX;
    QLineEdit* m_pY;
    QCheckBox* m_pKeep;
};
