#pragma once
// CTreeDlg, "Set Tree Appearence": the thumbnail size of the tree views, the
// scope it applies to and whether new trees come up expanded. The dialog only
// collects the values; ApplyTreeAppearance carries them out, so the scopes
// are tested without widgets.

#include "ApplyScope.h"

#include "render/DisplayDefaults.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class SettingsStore;
struct DisplaySettings;

// Dialog 138 and its controls.
constexpr int IDD_TREE_DIALOG = 138;
constexpr int IDC_THUMB_SIZE = 2044;
constexpr int IDC_EXPAND_TREE = 2045;


struct TreeAppearance {
    int m_nThumbSize = kDefaultThumbSide;  // 0..kMaxThumbSide, 0: no thumbnails
    int m_nApply = APPLY_THIS_VIEW;
    int m_bExpandTree = 1;
};

// The dialog's starting values: the main window's, with the thumbnail size of
// the active document's tree view when there is one (activeViewThumbSize >= 0).
TreeAppearance InitialTreeAppearance(const DisplaySettings& frame, int activeViewThumbSize);

// What applying the dialog reaches beyond the main window's settings.
class TreeAppearanceTargets {
public:
    virtual ~TreeAppearanceTargets() = default;
    // The active document's tree view takes the size (no-op without one).
    virtual void SetActiveViewThumbSize(int size) = 0;
    // Tells the active document's views (allDocuments false) or every open
    // document's views that the thumbnail size is now size.
    virtual void UpdateThumbSize(int size, bool allDocuments) = 0;
};

// Carries out OK: the active view takes the size, "Apply" is stored; for
// "this and next views" and "all views" the main window takes size and expand
// flag and stores "ThumbSize" and "ExpandTree"; then the active document, or
// for "all views" every document, hears of the new size.
void ApplyTreeAppearance(const TreeAppearance& chosen, DisplaySettings& frame, SettingsStore& store,
                         TreeAppearanceTargets& targets);

class CTreeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTreeDlg(const TreeAppearance& initial, QWidget* parent = nullptr);

    // Valid after the dialog was accepted.
    TreeAppearance Result() const { return m_result; }

    QLineEdit* ThumbSizeEdit() const { return m_pThumbSize; }
    QCheckBox* ExpandCheck() const { return m_pExpand; }
    QButtonGroup* ApplyGroup() const { return m_pApply; }

public slots:
    // Reads the fields in order; a bad field gets the program's field message and
    // keeps the dialog open with that field selected.
    void accept() override;

private:
    QLineEdit* m_pThumbSize;
    QButtonGroup* m_pApply;
    QCheckBox* m_pExpand;
    TreeAppearance m_result;
};
