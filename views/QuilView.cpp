#include "QuilView.h"

#include "engine/QuilExpression.h"
#include "engine/SettingsStore.h"
#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"
#include "resources/AppStrings.h"
#include "resources/ResourceIds.h"
#include "shell/ExportSettings.h"
#include "shell/LastFolders.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <QApplication>
#include <QFile>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSettings>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <new>

namespace {
// Height of the title on a printed page: 100 printer pixels of a 600 dpi
// printer (about 4 mm), scaled to the printer's own resolution.
constexpr int kPrintTitleHeight = 100;
constexpr int kPrintTitleDpi = 600;
// Pure green of the progress bar and the waiting text.
const QColor kProgressGreen(0x00, 0xff, 0x00);
// Longer side of the copy the custom save's preview box draws from: more
// than the box shows, little to copy even from a huge picture.
constexpr int kPreviewSide = 256;

QColor ToQColor(ColorRef c) { return QColor(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c)); }
}  // namespace

QRect PrintedPictureRect(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return QRect();
    const int f = std::min(pageWidth / pictureWidth, pageHeight / pictureHeight);
    int w = f * pictureWidth;
    int h = f * pictureHeight;
    if (f == 0) {
        // Larger than the page: shrink to fit instead of printing nothing.
        const double scale = std::min(double(pageWidth) / pictureWidth, double(pageHeight) / pictureHeight);
        w = std::max(1, int(pictureWidth * scale));
        h = std::max(1, int(pictureHeight * scale));
    }
    return QRect((pageWidth - w) >> 1, (pageHeight - h) >> 1, w, h);
}

QString PreselectedFileType(const QStringList& entries, int filterLoad)
{
    if (filterLoad >= 1 && filterLoad <= entries.size())
        return entries[filterLoad - 1];
    return entries.value(0);
}

QString InitialBitmapName(const QString& title)
{
    if (title.size() >= 5 && title[title.size() - 5] == QLatin1Char('.'))
        return title.left(title.size() - 5);
    return title;
}

CQuilView::CQuilView(CQuilDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), CDocView(doc)
{
    m_crBackground = Shell().Display().m_crBackground;
    m_picture = std::make_shared<Picture>();
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(
        this, [this](const JobNotice& notice, quint64 serial) { OnJobNotice(notice, serial); });
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setWhatsThis(QStringLiteral("The picture of the expression. Right-click for copying and saving it."));
    if (doc)
        doc->AddView(this);
}

CQuilView::~CQuilView()
{
    // Stop first: a job that ends within the wait reports to a window that
    // still exists; only one that outlives the wait finds it gone (and beeps).
    StopCalculation();
    m_pNotifyTarget->Detach();
    m_pCalcJob.reset();
    m_pScreenJob.reset();
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CShellServices& CQuilView::Shell() const { return m_pDocument->Shell(); }

QColor CQuilView::BackgroundQColor() const { return ToQColor(m_crBackground); }

void CQuilView::OnInitialUpdate()
{
    CShellServices& shell = Shell();
    unsigned width = unsigned(shell.Display().m_nDisplayWidth);
    unsigned height = unsigned(shell.Display().m_nDisplayHeight);
    const std::string& path = shell.Pictures().SourcePicturePath();
    if (!path.empty() && shell.Display().m_bPictureResolution) {
        if (auto source = shell.Pictures().SourcePicture()) {
            width = unsigned(source->Width());
            height = unsigned(source->Height());
        }
    }
    m_nDisplayWidth = int(ClampPictureSide(width));
    m_nDisplayHeight = int(ClampPictureSide(height));
    m_picture = std::make_shared<Picture>();
    m_picture->Create(m_nDisplayWidth, m_nDisplayHeight);
    UpdateScrollRange();
    m_bInitialized = 1;
    if (m_pDocument->m_bOpenedByDrop)
        viewport()->update();
    else
        OnUpdate(nullptr, HINT_FULL_UPDATE, 0);
}

void CQuilView::OnUpdate(CDocView*, int hint, std::uintptr_t arg)
{
    switch (hint) {
    case HINT_THUMB_SIZE:
    case 5:
        return;
    case HINT_STOP_CALCULATION:
    case HINT_DISPLAY_SETTINGS:
        StopCalculation();
        return;
    default:
        Recalculate(hint, arg);
    }
}

void CQuilView::OnRefreshView() { Recalculate(HINT_FULL_UPDATE, 0); }

void CQuilView::StopCalculation()
{
    for (CCalcBitmap* job : {m_pCalcJob.get(), m_pScreenJob.get()})
        if (job && job->IsRunning())
            StopJob(*job);
}

QSize CQuilView::ScreenPictureSize() const
{
    const double ratio = devicePixelRatioF();
    return QSize(int(ClampPictureSide(unsigned(std::lround(m_nDisplayWidth * ratio)))),
                 int(ClampPictureSide(unsigned(std::lround(m_nDisplayHeight * ratio)))));
}

std::shared_ptr<CCalcBitmap> CQuilView::StartJob(const std::shared_ptr<Picture>& target, quint64 serial)
{
    auto job = std::make_shared<CCalcBitmap>();
    CQuilExpression& expression = *m_pDocument->m_pExpression;
    if (expression.m_bUsesPicture)
        job->m_pSourcePicture = Shell().Pictures().GetScaledPicture(target->Width(), target->Height());
    job->m_pTarget = target;
    job->m_pRenderer = RenderProduction;
    job->m_pRoot = expression.GetRoot();
    job->m_bAntiAlias = m_pDocument->m_bAntiAlias;
    // A replaced job's late notifications still arrive here and are ignored by their serial.
    if (!job->Start(std::make_shared<QtJobNotifier>(m_pNotifyTarget, serial)))
        m_bNoThread = 1;
    return job;
}

void CQuilView::Recalculate(int hint, std::uintptr_t arg)
{
    if (!m_bInitialized)
        return;
    m_pDocument->PictureReady = 0;
    m_bScreenReady = false;
    m_bPictureDone = false;
    m_nProgressColumns = 0;
    bool stillWriting = false;
    for (std::shared_ptr<CCalcBitmap>* job : {&m_pCalcJob, &m_pScreenJob}) {
        if (*job && (*job)->IsRunning())
            stillWriting |= !StopJob(**job);
        job->reset();
    }
    if (hint == HINT_DISPLAY_SIZE) {
        m_nDisplayWidth = int(SizeHintWidth(arg));
        m_nDisplayHeight = int(SizeHintHeight(arg));
        stillWriting = true;  // a new buffer of the new size
    }
    if (stillWriting || !m_picture) {
        // A job that outlived its wait keeps its own target; the view moves on to a new one.
        m_picture = std::make_shared<Picture>();
        m_picture->Create(m_nDisplayWidth, m_nDisplayHeight);
    }
    m_dScreenRatio = devicePixelRatioF();
    const QSize screen = ScreenPictureSize();
    if (screen == QSize(m_nDisplayWidth, m_nDisplayHeight)) {
        m_pScreenPicture = m_picture;
    } else if (stillWriting || !m_pScreenPicture || m_pScreenPicture == m_picture ||
               QSize(m_pScreenPicture->Width(), m_pScreenPicture->Height()) != screen) {
        m_pScreenPicture = std::make_shared<Picture>();
        m_pScreenPicture->Create(screen.width(), screen.height());
    }
    UpdateScrollRange();

    m_bNoThread = 0;
    m_nPictureSerial = ++m_nJobSerial;
    m_pCalcJob = StartJob(m_picture, m_nPictureSerial);
    if (m_pScreenPicture != m_picture)
        m_pScreenJob = StartJob(m_pScreenPicture, ++m_nJobSerial);
    viewport()->update();
}

void CQuilView::CheckScreenRatio()
{
    // Moving to a screen with another ratio: the picture is computed again for it.
    if (!m_bInitialized || m_bRatioCheckQueued || devicePixelRatioF() == m_dScreenRatio)
        return;
    m_bRatioCheckQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_bRatioCheckQueued = false;
        if (devicePixelRatioF() != m_dScreenRatio)
            Recalculate(HINT_FULL_UPDATE, 0);
    });
}

void CQuilView::OnJobNotice(const JobNotice& notice, quint64 serial)
{
    const bool screen = serial == m_nJobSerial;
    const bool picture = serial == m_nPictureSerial;
    if (!screen && !picture)
        return;  // from a job this view has replaced
    switch (notice.kind) {
    case JobNotice::Kind::Finished:
        m_bScreenReady |= screen;
        m_bPictureDone |= picture;
        m_pDocument->PictureReady = m_bScreenReady && m_bPictureDone;
        if (screen)
            viewport()->update();
        break;
    case JobNotice::Kind::Progress:
        if (!screen)
            break;
        m_nProgressColumns = notice.columns;
        viewport()->update(WorkingLabelRect());
        break;
    case JobNotice::Kind::Aborted:
        break;
    }
}

bool CQuilView::IsCalculating() const
{
    return (m_pCalcJob && m_pCalcJob->IsRunning()) || (m_pScreenJob && m_pScreenJob->IsRunning());
}

void CQuilView::UpdateScrollRange()
{
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_nDisplayWidth - area.width()));
    verticalScrollBar()->setRange(0, std::max(0, m_nDisplayHeight - area.height()));
    horizontalScrollBar()->setPageStep(std::max(1, area.width()));
    verticalScrollBar()->setPageStep(std::max(1, area.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, area.width() / 10));
    verticalScrollBar()->setSingleStep(std::max(1, area.height() / 10));
}

QPoint CQuilView::PictureOrigin() const
{
    const QSize area = viewport()->size();
    return QPoint(std::max(0, (area.width() - m_nDisplayWidth) >> 1) - horizontalScrollBar()->value(),
                  std::max(0, (area.height() - m_nDisplayHeight) >> 1) - verticalScrollBar()->value());
}

QRect CQuilView::WorkingLabelRect() const
{
    const QFontMetrics metrics(font());
    const QSize text(metrics.horizontalAdvance(QString::fromUtf8(kWorkingText)), metrics.height());
    const QSize area = viewport()->size();
    return QRect(QPoint((area.width() - text.width()) / 2, (area.height() - text.height()) / 2), text);
}

QRect CQuilView::ProgressBarRect() const
{
    QRect label = WorkingLabelRect();
    const int columns = m_pScreenPicture ? m_pScreenPicture->Width() : m_nDisplayWidth;
    if (columns <= 0 || m_nProgressColumns <= 0)
        return QRect();
    const long long width = (long long)label.width() * m_nProgressColumns / columns;
    label.setWidth(int(std::min<long long>(width, label.width())));
    return label;
}

void CQuilView::PaintPicture(QPainter& painter)
{
    // Drawn in device pixels, so that each pixel of the screen's picture is one of the screen.
    const double ratio = devicePixelRatioF();
    painter.save();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    const QSize logical = viewport()->size();
    const QRect area(0, 0, int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio)));
    const QColor background = BackgroundQColor();
    const QPoint origin = PictureOrigin();
    const QImage image = WrapPicture(*m_pScreenPicture);
    // Until the picture for a new ratio is done, the old one is stretched over its place.
    const QRect picture(QPoint(int(std::lround(origin.x() * ratio)), int(std::lround(origin.y() * ratio))),
                        ScreenPictureSize());
    // Only the bands around the picture are filled, so it does not flash.
    const QRect shown = picture.intersected(area);
    painter.fillRect(QRect(area.left(), area.top(), area.width(), shown.top() - area.top()), background);
    painter.fillRect(QRect(area.left(), shown.bottom() + 1, area.width(), area.bottom() - shown.bottom()), background);
    painter.fillRect(QRect(area.left(), shown.top(), shown.left() - area.left(), shown.height()), background);
    painter.fillRect(QRect(shown.right() + 1, shown.top(), area.right() - shown.right(), shown.height()), background);
    if (picture.size() == image.size())
        painter.drawImage(picture.topLeft(), image);
    else
        painter.drawImage(picture, image);
    painter.restore();
}

void CQuilView::paintEvent(QPaintEvent*)
{
    CheckScreenRatio();
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const QColor background = BackgroundQColor();
    if (m_bScreenReady && m_pScreenPicture && !m_pScreenPicture->IsNull()) {
        PaintPicture(painter);
        if (hasFocus()) {
            // A thin focus mark around the picture shows which pane the keyboard drives.
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(area.adjusted(0, 0, -1, -1));
        }
        return;
    }
    painter.fillRect(area, background);
    const QString text = QString::fromUtf8(m_bNoThread ? kNoThreadText : kWorkingText);
    painter.setFont(font());
    painter.setPen(kProgressGreen);
    const QRect label = WorkingLabelRect();
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    if (!m_bNoThread) {
        const QRect bar = ProgressBarRect();
        if (!bar.isEmpty()) {
            painter.fillRect(bar, kProgressGreen);
            painter.setPen(background);
            painter.setClipRect(bar);
            painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        }
    }
}

void CQuilView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CQuilView::scrollContentsBy(int, int) { viewport()->update(); }

void CQuilView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CQuilView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CQuilView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}

void CQuilView::contextMenuEvent(QContextMenuEvent* event)
{
    setFocus(Qt::PopupFocusReason);
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        at = QCursor::pos();
    QMenu* menu = Shell().CreatePopupMenu(IDR_DISPLAY_MENU, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
}

void CQuilView::SetBackgroundColour(ColorRef colour)
{
    if (m_crBackground == colour)
        return;
    m_crBackground = colour;
    viewport()->update();
}

// Commands ----------------------------------------------------------------------------

bool CQuilView::OnCommand(int id)
{
    switch (id) {
    case ID_EDIT_COPY:
        OnEditCopy();
        return true;
    case ID_SAVE_BITMAP:
        OnSaveBitmap();
        return true;
    case ID_CUSTOM_COPY:
        Shell().RunCustomCopy(*m_pDocument);
        return true;
    case ID_SAVE_CUSTOM_BITMAP:
        Shell().RunCustomSave(*m_pDocument, m_nDisplayWidth, m_nDisplayHeight, PreviewPicture(kPreviewSide));
        return true;
    case ID_FILE_PRINT:
        OnFilePrint();
        return true;
    case ID_FILE_PRINT_PREVIEW:
        OnFilePrintPreview();
        return true;
    default:
        return false;
    }
}

bool CQuilView::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.m_nID) {
    case ID_EDIT_COPY:
    case ID_SAVE_BITMAP:
    case ID_CUSTOM_COPY:
    case ID_SAVE_CUSTOM_BITMAP:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        ui.Enable(m_picture && !m_picture->IsNull());
        return true;
    default:
        return false;
    }
}

Picture CQuilView::SnapshotPicture() const
{
    if (!m_picture)
        return Picture();
    return m_picture->SnapshotShared();
}

Picture CQuilView::PreviewPicture(int maxSide) const
{
    Picture preview;
    if (!m_picture || m_picture->IsNull() || m_picture->Width() == 0 || m_picture->Height() == 0 || maxSide <= 0)
        return preview;
    const long long w = m_picture->Width();
    const long long h = m_picture->Height();
    const long long longer = std::max(w, h);
    const int width = int(longer <= maxSide ? w : std::max(1LL, w * maxSide / longer));
    const int height = int(longer <= maxSide ? h : std::max(1LL, h * maxSide / longer));
    if (!preview.Create(width, height))
        return preview;
    // Nearest pixel, read as a copy is while the job may still write.
    for (int r = 0; r < height; ++r) {
        const int sr = int((2LL * r + 1) * h / (2LL * height));
        for (int c = 0; c < width; ++c)
            preview.SetPixel(c, r, m_picture->LoadPixelShared(int((2LL * c + 1) * w / (2LL * width)), sr));
    }
    return preview;
}

void CQuilView::OnEditCopy()
{
    // The job may still be writing: copy through the shared reads.
    const Picture snapshot = SnapshotPicture();
    QImage image = WrapPicture(snapshot).copy(0, 0, m_nDisplayWidth, m_nDisplayHeight);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(image);
}

void CQuilView::OnSaveBitmap()
{
    SettingsStore& store = Shell().Store();
    const QString filter = QString::fromStdString(DialogFilter(ColourPictureTypes()));
    const QStringList entries = filter.split(QStringLiteral(";;"));
    const QString preselected = PreselectedFileType(entries, store.GetProfileInt(kSectionBitmap, kValueBitmapFilterLoad, 0));
    const QString suffix = FirstSuffixOfFilter(preselected);
    FileDialogRequest request{this, true, QString::fromUtf8(kSaveBitmapTitle),
                              InitialBitmapName(m_pDocument->GetTitle()), filter, preselected,
                              suffix.isEmpty() ? QString::fromUtf8(kSaveBitmapDefaultSuffix) : suffix,
                              &store, kFolderPictures};
    const QString path = QuilFileDialog(request);
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int result = kSaveNoMemory;
    // The name as the bytes the file system has: no name is lost to a conversion.
    const std::string fileName = QFile::encodeName(path).toStdString();
    std::string reason;
    try {
        const Picture snapshot = SnapshotPicture();
        result = SavePicture(snapshot, fileName, &reason, m_pDocument->RecipeText(path));
    } catch (const std::bad_alloc&) {
        // The copy of the picture could not be had; reported below.
    }
    QApplication::restoreOverrideCursor();
    if (result == kSaveNoMemory) {
        QuilMessageBox(this, QString::fromUtf8(kMsgNoMemory), QString::fromUtf8(kCaptionQuil), QMessageBox::Warning);
        return;
    }
    if (result != kSaveOk) {
        QuilMessageBox(this, QFile::decodeName(QByteArray::fromStdString(SaveFailureMessage(fileName, result, reason))),
                       QString::fromUtf8(kCaptionQUIL), QMessageBox::Warning);
        return;
    }
    const int index = int(entries.indexOf(request.selectedFilter));
    if (index >= 0)
        store.WriteProfileInt(kSectionBitmap, kValueBitmapFilterLoad, index + 1);
}

void CQuilView::PrintPage(QPrinter& printer, QPainter& painter)
{
    if (!m_pDocument->PictureReady || !m_picture || m_picture->IsNull())
        return;
    const QRect page(0, 0, printer.width(), printer.height());
    QFont titleFont = painter.font();
    titleFont.setPixelSize(std::max(1, kPrintTitleHeight * printer.resolution() / kPrintTitleDpi));
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(page, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, m_pDocument->GetTitle());
    const QRect target = PrintedPictureRect(page.width(), page.height(), m_nDisplayWidth, m_nDisplayHeight);
    QImage image = WrapPicture(*m_picture);
    // A picture larger than the page is thinned to the page first, so the
    // copy below stays small; each printed pixel is one picture pixel.
    if (target.width() < image.width() || target.height() < image.height())
        image = image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    // The print preview records pictures and treats the zero top byte of our
    // pixels as transparency: hand it an opaque image.
    image = image.convertToFormat(QImage::Format_ARGB32);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image);
}

void CQuilView::OnFilePrint()
{
    QPrinter& printer = Shell().Printer();
    printer.setDocName(m_pDocument->GetTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    PrintPage(printer, painter);
}

void CQuilView::OnFilePrintPreview()
{
    QPrinter& printer = Shell().Printer();
    printer.setDocName(m_pDocument->GetTitle());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(m_pDocument->GetTitle());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        QPainter painter(p);
        PrintPage(*p, painter);
    });
    preview.resize(900, 700);
    preview.exec();
}
