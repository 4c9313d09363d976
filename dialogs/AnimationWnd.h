#pragma once
// CAnimationWnd, "Animate": the thin window over AnimationForm and the
// animation runs for one document. It plays a preview as soon as its frames
// are ready, holds the motion's settings, and saves the animation with
// progress, the time left and an abort. It closes when its document goes.

#include "AnimationForm.h"
#include "AnimationRuns.h"
#include "VariationsWnd.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class CQuilDoc;
class CQuilExpression;
class SettingsStore;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

// The preview: the current frame, and a cross at the chosen point when the
// motion has one; a click picks the point.
class CAnimationPreview : public QWidget {
    Q_OBJECT
public:
    explicit CAnimationPreview(QWidget* parent);
    void SetFrame(const QImage& frame);
    void SetPoint(bool shown, double x, double y);
    QSize sizeHint() const override;

signals:
    void PointPicked(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect FrameRect() const;
    QImage m_frame;
    bool m_bPoint = false;
    double m_x = 0, m_y = 0;
};

class CAnimationWnd : public QWidget {
    Q_OBJECT
public:
    CAnimationWnd(CQuilDoc& doc, CVariationsPeers& peers, SettingsStore& store, QWidget* parent = nullptr);
    ~CAnimationWnd() override;

    CQuilDoc* Document() const { return m_pDoc; }
    const AnimationChoices& Choices() const { return m_choices; }
    // Preview frames ready so far, and whether all are.
    int FramesReady() const { return int(m_frames.size()); }
    bool PreviewComplete() const { return m_bPreviewComplete; }
    // The side of the preview's frames in pixels: the screen's pixels.
    int PreviewFrameSide() const { return m_frames.empty() ? 0 : m_frames.front().width(); }
    bool Saving() const { return m_pSave != nullptr; }

    // What the controls do; tests call them as a click would.
    void SetChoices(const AnimationChoices& choices);
    void SaveTo(const QString& fileName);
    void OnAbortSave();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateMotionBox();
    QWidget* CreateSaveBox();
    void ReadControls();
    void ShowChoices();
    void FillPartners();
    void RestartPreview();
    void OnFrameReady(int serial, int index, const QImage& frame);
    void OnPreviewFinished(int serial, bool failed);
    void OnTick();
    void OnSaveClicked();
    void OnSaveProgress(int written);
    void OnSaveFinished(AnimationWriteResult result, const QString& reason);
    std::shared_ptr<const AnimationSubject> MakeSubject(int width, int height, QString* problem);
    const ExprNode* PartnerRoot();
    void OnDocumentGone();

    CQuilDoc* m_pDoc;
    CVariationsPeers& m_peers;
    SettingsStore& m_store;
    AnimationChoices m_choices;
    bool m_bFilling = false;

    // The preview's frames so far, in order, and the one shown.
    std::vector<QImage> m_frames;
    int m_nStep = 1;
    int m_nPreviewSide = kAnimationPreviewSide;
    bool m_bWatchingScreen = false;
    int m_nShown = 0;
    int m_nSerial = 0;
    bool m_bPreviewComplete = false;
    QString m_strPreviewProblem;
    std::unique_ptr<AnimationPreviewRun> m_pPreview;
    QTimer m_restart;  // settles a burst of edits into one restart
    QTimer m_play;

    std::unique_ptr<AnimationSaveRun> m_pSave;
    int m_nSaveTotal = 0;
    QString m_strSaveName;
    QElapsedTimer m_saveClock;

    // The partner of a morph: another document, or a ".quil" file read here.
    std::vector<QPointer<CQuilDoc>> m_partnerDocs;
    std::unique_ptr<CQuilExpression> m_pPartnerFile;
    QString m_strPartnerFile;

    CAnimationPreview* m_pPreviewView = nullptr;
    QLabel* m_pPreviewStatus = nullptr;
    QPushButton* m_pPlay = nullptr;
    QComboBox* m_pMode = nullptr;
    QComboBox* m_pStrength = nullptr;
    QCheckBox* m_pDriftToo = nullptr;
    QSpinBox* m_pAngle = nullptr;
    QDoubleSpinBox* m_pZoom = nullptr;
    QCheckBox* m_pZoomBack = nullptr;
    QDoubleSpinBox* m_pPointX = nullptr;
    QDoubleSpinBox* m_pPointY = nullptr;
    QComboBox* m_pPartner = nullptr;
    QDoubleSpinBox* m_pSeconds = nullptr;
    QSpinBox* m_pFps = nullptr;
    QSpinBox* m_pSeed = nullptr;
    QSpinBox* m_pWidth = nullptr;
    QSpinBox* m_pHeight = nullptr;
    QCheckBox* m_pAntiAlias = nullptr;
    QComboBox* m_pType = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pSaveStatus = nullptr;
    QPushButton* m_pSaveButton = nullptr;
    QPushButton* m_pAbort = nullptr;
    std::vector<QWidget*> m_rows[kNumMotionModes];  // the controls each mode shows
};
