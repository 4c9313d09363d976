#pragma once
// CCalcFeedbackDlg, "Calculating <file>": the custom save's progress. It
// computes the picture at the chosen size on a worker thread, shows how many
// per cent of the columns are done, and when the job ends adds the margins
// and saves the file, then closes itself. Abort (the default button), Escape
// and the close box stop the job and end the dialog as cancelled.

#include "render/Picture.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>

struct ExprNode;
struct JobNotice;
class CCalcBitmap;
class QLabel;
class QProgressBar;
class QPushButton;
class QtNotifyTarget;

struct FeedbackRequest {
    QString m_strFileName;  // saved in the type its extension names
    unsigned m_nWidth = 0;  // 1 .. 16384
    unsigned m_nHeight = 0;
    const ExprNode* m_pRoot = nullptr;  // copied by the job when it starts
    // What "PIC" reads, at its loaded size; none for an expression without it.
    std::shared_ptr<const Picture> m_pSourcePicture;
    int m_nMarginMode = 0;
    int m_bAntiAlias = 0;
    std::string m_strRecipe;  // the expression's ".quil" text for the file's metadata; empty for none
};

// "Calculating <file>"
QString FeedbackTitle(const QString& fileName);
// "N % ready" for columns of width done (whole per cent, rounded down).
QString FeedbackProgressText(unsigned columns, unsigned width);

class CCalcFeedbackDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's result once the job has ended, whether the file was saved
    // or not (a failed save has shown its message); QDialog::Rejected means
    // aborted.
    static constexpr int kJobEnded = -1;

    CCalcFeedbackDlg(FeedbackRequest request, QWidget* parent);
    ~CCalcFeedbackDlg() override;

    bool IsCalculating() const;
    // Which start of the dialog's job its notices must carry.
    quint64 JobSerial() const { return m_nJobSerial; }
    // A notice of the job started with the given serial (user-interface thread).
    void OnJobNotice(const JobNotice& notice, quint64 serial);

    QProgressBar* ProgressBar() const { return m_pProgress; }
    QLabel* ProgressLabel() const { return m_pText; }
    QPushButton* AbortButton() const { return m_pAbort; }

public slots:
    // Abort, Escape and the close box: stop the job, end as cancelled.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartJob();
    void SaveAndClose();

    FeedbackRequest m_request;
    std::shared_ptr<Picture> m_pPicture;
    std::shared_ptr<CCalcBitmap> m_pJob;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    quint64 m_nJobSerial = 0;
    bool m_bStarted = false;
    QProgressBar* m_pProgress;
    QLabel* m_pText;
    QPushButton* m_pAbort;
};
