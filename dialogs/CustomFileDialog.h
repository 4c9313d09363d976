#pragma once
// CCustomFileDialog, the custom save's one dialog: the file chooser (name,
// folder and file type) with, beside it, the size of the picture to compute,
// keep aspect, anti-aliasing, the black margins to a paper ratio and a live
// preview of the result's shape. It collects the choice; whoever runs it
// stores the values and computes the picture.

#include "shell/ExportSettings.h"
#include "shell/MessageBox.h"

class CLinkedSizeEdits;
class CPreviewBox;
class Picture;
class QButtonGroup;
class QCheckBox;
class QLineEdit;

constexpr int IDD_CUSTOM_FILE_TEMPLATE = 140;

class CCustomFileDialog : public CSaveFileDialog {
    Q_OBJECT
public:
    // filter lists the writable types ("Name (*.a *.b);;..."); a name typed
    // without extension gets the first extension of the type chosen.
    // preview is the displayed picture (any size; copied).
    CCustomFileDialog(QWidget* parent, const QString& title, const QString& fileName, const QString& filter,
                      const QString& selectedFilter, const BitmapSettings& initial, const Picture& preview);

    // The values read when a file name was accepted.
    BitmapSettings Values() const { return m_values; }

    QLineEdit* XPixelEdit() const { return m_pX; }
    QLineEdit* YPixelEdit() const { return m_pY; }
    QCheckBox* KeepAspectBox() const { return m_pKeep; }
    QCheckBox* AntiAliasBox() const { return m_pAntiAlias; }
    QButtonGroup* MarginButtons() const { return m_pMargins; }
    CPreviewBox* Preview() const { return m_pPreview; }
    QWidget* SidePanel() const { return m_pPanel; }

public slots:
    // A name accepted: the sizes are read first; a refused size shows its
    // message and keeps the dialog open.
    void done(int result) override;

private:
    QWidget* MakeSidePanel(const BitmapSettings& initial, const Picture& preview);

    BitmapSettings m_values;
    QWidget* m_pPanel = nullptr;
    QLineEdit* m_pX = nullptr;
    QLineEdit* m_pY = nullptr;
    QCheckBox* m_pKeep = nullptr;
    QCheckBox* m_pAntiAlias = nullptr;
    QButtonGroup* m_pMargins = nullptr;
    CPreviewBox* m_pPreview = nullptr;
    CLinkedSizeEdits* m_pLink = nullptr;
};
