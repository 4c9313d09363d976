#pragma once
// CClipDialog, "Copy to Clipboard": computes the document's picture at a
// chosen size on a worker thread while the dialog stays responsive, adds the
// black margins of the chosen mode and puts the picture on the clipboard as
// an image. Several copies may be made in one opening. Idle, Copy, OK and
// Cancel work; while a copy is computed only Abort does (Escape and the close
// box abort too), and the end of the job makes the dialog idle again.

#include "shell/ExportSettings.h"

#include <QDialog>

#include <memory>

struct ExprNode;
struct JobNotice;
class CCalcBitmap;
class CLinkedSizeEdits;
class Picture;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QtNotifyTarget;

constexpr int IDD_CLIP_DIALOG = 186;

class CClipDialog : public QDialog {
    Q_OBJECT
public:
    // root is the expression to render (each copy takes its own copy of it).
    CClipDialog(const ClipSettings& values, int marginMode, const ExprNode* root, QWidget* parent);
    ~CClipDialog() override;

    // After OK: the sizes and keep aspect to store, and the margin mode the
    // document offers next time.
    ClipSettings Values() const { return m_values; }
    int MarginMode() const { return m_nMarginMode; }
    bool IsComputing() const { return m_bComputing; }
    // How many copies reached the clipboard.
    int CopiesMade() const { return m_nCopies; }
    // A notice of the job started with the given serial (user-interface thread).
    void OnJobNotice(const JobNotice& notice, quint64 serial);

    QLineEdit* XEdit() const { return m_pX; }
    QLineEdit* YEdit() const { return m_pY; }
    QCheckBox* KeepAspectBox() const { return m_pKeep; }
    QButtonGroup* MarginButtons() const { return m_pMargins; }
    QPushButton* CopyButton() const { return m_pCopy; }
    QPushButton* AbortButton() const { return m_pAbort; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QProgressBar* ProgressBar() const { return m_pProgress; }
    const CLinkedSizeEdits& Link() const { return *m_pLink; }

public slots:
    void OnCopy();
    // Asks the job to stop; the end notice makes the dialog idle.
    void OnAbort();
    // Reads the fields (a refused or cut size keeps the dialog open).
    void accept() override;
    // Cancel when idle; while computing, Escape and the close box abort.
    void reject() override;

private:
    bool ReadFields(unsigned& x, unsigned& y);
    void SetComputing(bool computing);
    void FinishCopy();

    const ExprNode* m_pRoot;
    ClipSettings m_values;
    int m_nMarginMode;
    int m_nCopyMode = 0;  // the margins of the copy being computed
    std::shared_ptr<Picture> m_pPicture;
    std::shared_ptr<CCalcBitmap> m_pJob;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    quint64 m_nJobSerial = 0;
    bool m_bComputing = false;
    int m_nCopies = 0;

    QLineEdit* m_pX;
    QLineEdit* m_pY;
    QCheckBox* m_pKeep;
    QButtonGroup* m_pMargins = nullptr;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
    QPushButton* m_pCopy;
    QPushButton* m_pAbort;
    QProgressBar* m_pProgress;
    CLinkedSizeEdits* m_pLink;
};
