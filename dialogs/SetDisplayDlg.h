#pragma once
// CSetDisplayDlg, "Set Display": the size and anti-aliasing of the pictures
// on screen and whether loading a source picture takes its size, for the
// active document's views, for them and every later view, or for all views.
// The dialog only collects the values; ApplyDisplaySettings carries them out,
// so the scopes are tested without widgets.

#include "ApplyScope.h"

#include <QDialog>
#include <QSize>

#include <optional>

class CLinkedSizeEdits;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class SettingsStore;
struct DisplaySettings;

constexpr int IDD_SET_DISPLAY = 162;
constexpr int IDC_PICTURE_RESOLUTION = 2074;
constexpr int IDC_XY_OF_PICTURE = 2078;

struct DisplayValues {
    unsigned m_nX = 0;  // 1 .. 16384 once read
    unsigned m_nY = 0;
    int m_bKeepAspect = 1;
    int m_nApply = APPLY_THIS_VIEW;
    int m_bAntiAlias = 0;
    int m_bPictureResolution = 0;  // follow the loaded picture's size
};

// The active document's own options and its picture view's size.
struct ActiveDisplay {
    unsigned width = 0;
    unsigned height = 0;
    int antiAlias = 0;
    int pictureResolution = 0;
};

// The dialog's starting values: the main window's (follow-picture off), or
// with an active document that document's options and its view's size.
DisplayValues InitialDisplayValues(const DisplaySettings& frame, const std::optional<ActiveDisplay>& active);

// What applying the dialog reaches beyond the main window's settings.
class DisplayTargets {
public:
    virtual ~DisplayTargets() = default;
    // The active document (allDocuments false; nothing without one) or every
    // open document takes the two options, and its views the size.
    virtual void ApplyToDocuments(bool allDocuments, int antiAlias, int pictureResolution, unsigned width,
                                  unsigned height) = 0;
};

// Carries out OK: sizes cut to 16384, the scope kept and stored as
// "Display"/"Apply"; for "this and next views" and "all views" the main
// window takes the five values and stores them; then the active document or,
// for "all views", every document takes them.
void ApplyDisplaySettings(const DisplayValues& chosen, DisplaySettings& frame, SettingsStore& store,
                          DisplayTargets& targets);

class CSetDisplayDlg : public QDialog {
    Q_OBJECT
public:
    // pictureSize: the loaded source picture's size, or none ("X,Y of
    // Picture" is then disabled).
    CSetDisplayDlg(const DisplayValues& initial, std::optional<QSize> pictureSize, QWidget* parent = nullptr);

    // Valid after the dialog was accepted.
    DisplayValues Result() const { return m_result; }

    QLineEdit* XEdit() const { return m_pX; }
    QLineEdit* YEdit() const { return m_pY; }
    QPushButton* PictureSizeButton() const { return m_pPictureSize; }
    QCheckBox* KeepAspectBox() const { return m_pKeep; }
    QCheckBox* AntiAliasBox() const { return m_pAntiAlias; }
    QCheckBox* PictureResolutionBox() const { return m_pFollow; }
    QButtonGroup* ApplyGroup() const { return m_pApply; }
    const CLinkedSizeEdits& Link() const { return *m_pLink; }

public slots:
    // Reads the sizes; a refused one gets its message and keeps the dialog
    // open with that edit selected.
    void accept() override;

private:
    QLayout* MakeSizeRows();

    std::optional<QSize> m_pictureSize;
    QLineEdit* m_pX;
    QLineEdit* m_pY;
    QPushButton* m_pPictureSize;
    QCheckBox* m_pKeep;
    QCheckBox* m_pAntiAlias;
    QCheckBox* m_pFollow;
    QButtonGroup* m_pApply;
    CLinkedSizeEdits* m_pLink = nullptr;
    DisplayValues m_result;
};
