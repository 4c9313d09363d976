#pragma once
// CQuilView is the right pane of a document window: it computes the
// document's expression as a picture of the display size on a worker thread,
// shows "Working..." turning into a green bar as columns finish, then the
// picture centred on its background colour (scrolling when it is larger than
// the window). It copies, saves and prints the picture.
//
// On a screen with a device pixel ratio above 1 the picture shown is computed
// at the display size in device pixels and drawn pixel for pixel, so it has
// all its detail; a second job computes the picture of the display size
// itself, which is what copying, saving and printing hand on.

#include "shell/CmdTarget.h"
#include "shell/DisplaySettings.h"
#include "shell/DocView.h"

#include <QAbstractScrollArea>
#include <QSize>
#include <QStringList>

#include <cstdint>
#include <memory>

struct JobNotice;

class CCalcBitmap;
class CShellServices;
class Picture;
class QPainter;
class QPrinter;
class QtNotifyTarget;

// Where printing puts a picture of the given size on a page of the given size
// (device pixels): scaled by the largest whole factor that fits, centred. A
// picture larger than the page is shrunk to fit, keeping its proportions.
QRect PrintedPictureRect(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight);
// The initial name of "Save Bitmap...": the title without a four-letter
// extension such as ".quil".
QString InitialBitmapName(const QString& title);
// The file type a save dialog opens with: entry filterLoad (1-based, as
// "Bitmap"/"FilterLoad" keeps it) of the dialog's types, else the first.
QString PreselectedFileType(const QStringList& entries, int filterLoad);

class CQuilView : public QAbstractScrollArea, public CDocView, public CCmdTarget {
    Q_OBJECT
public:
    CQuilView(CQuilDoc* doc, QWidget* parent);
    ~CQuilView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CDocView* sender, int hint, std::uintptr_t arg) override;
    void OnRefreshView() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    void SetBackgroundColour(ColorRef colour);
    void OnEditCopy();
    void OnSaveBitmap();
    void OnFilePrint();
    void OnFilePrintPreview();
    // Draws the page as printing does: the title at the bottom, the picture scaled.
    void PrintPage(QPrinter& printer, QPainter& painter);

    // A copy of the picture, safe while the job still writes it.
    Picture SnapshotPicture() const;
    // The picture drawn on screen: the display size times the device pixel
    // ratio it was computed for (the picture itself at ratio 1).
    std::shared_ptr<const Picture> ScreenPicture() const { return m_pScreenPicture; }
    // Its size in device pixels for the view's current ratio.
    QSize ScreenPictureSize() const;
    // The picture shrunk (nearest pixel) so that its longer side is at most
    // maxSide, read as SnapshotPicture reads; empty without a picture.
    Picture PreviewPicture(int maxSide) const;
    bool IsCalculating() const;
    // Top-left corner of the picture in the viewport (scrolling included).
    QPoint PictureOrigin() const;
    // The "Working..." label and its green part for the current progress.
    QRect WorkingLabelRect() const;
    QRect ProgressBarRect() const;
    int ProgressColumns() const { return m_nProgressColumns; }
    // Which start of the view's job its notices must carry.
    quint64 JobSerial() const { return m_nJobSerial; }
    // A notice of the job started with the given serial (on the user-interface thread).
    void OnJobNotice(const JobNotice& notice, quint64 serial);

    // Members ------------------------------------------------------------------
    int m_nDisplayHeight = 0;
    int m_nDisplayWidth = 0;
    std::shared_ptr<CCalcBitmap> m_pCalcJob;
    ColorRef m_crBackground = 0;
    std::shared_ptr<Picture> m_picture;
    int m_bInitialized = 0;
    int m_bNoThread = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Recalculate(int hint, std::uintptr_t arg);
    void StopCalculation();
    std::shared_ptr<CCalcBitmap> StartJob(const std::shared_ptr<Picture>& target, quint64 serial);
    void CheckScreenRatio();
    void PaintPicture(QPainter& painter);
    void UpdateScrollRange();
    CShellServices& Shell() const;
    QColor BackgroundQColor() const;

    // Shared by the notifiers of all this view's jobs; detached when the view goes.
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    // At a device pixel ratio above 1: the screen's picture and its job
    // (otherwise they are m_picture and m_pCalcJob).
    std::shared_ptr<Picture> m_pScreenPicture;
    std::shared_ptr<CCalcBitmap> m_pScreenJob;
    double m_dScreenRatio = 1.0;
    bool m_bScreenReady = false;
    bool m_bPictureDone = false;
    bool m_bRatioCheckQueued = false;
    quint64 m_nPictureSerial = 0;
    quint64 m_nJobSerial = 0;
    int m_nProgressColumns = 0;
};
