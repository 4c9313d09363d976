#include "AnimationWnd.h"

#include "HelpWindow.h"

#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"

#include "engine/FileAccess.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr const char* kTitle = "Animate - %1";
constexpr const char* kModeNames[kNumMotionModes] = {"Drift", "Turn", "Zoom", "Morph"};
constexpr const char* kModeTips[kNumMotionModes] = {
    "The picture's constants move along closed loops: the animation repeats without a jump",
    "The plane turns about the chosen point",
    "The view zooms into the chosen point at a steady pace",
    "The picture becomes another: the partner below",
};
constexpr const char* kStrengthNames[kMaxDriftStrength] = {"Subtle", "Medium", "Wild"};
constexpr const char* kPartnerFromFile = "From a file...";
constexpr const char* kNoPartner = "Choose the partner of the morph.";
constexpr const char* kPreviewFailed = "This picture cannot be animated: its expression cannot be evaluated.";
constexpr const char* kSaveFailed = "Failed to save the animation.\n%1\n%2";
constexpr const char* kSaved = "Saved %1";
constexpr const char* kAborted = "Save aborted: nothing was written.";
constexpr const char* kSaveCaption = "Save Animation";
constexpr int kRestartDelayMs = 250;

// What F1 and Shift+F1 say about each control.
constexpr const char* kPreviewHelp =
    "The animation, shown at 240 x 240 and playing at the chosen frame rate as soon as its first frames are "
    "computed. For turn and zoom, a click picks the point that the picture turns about or zooms "
    "into; the cross marks it.";
constexpr const char* kPlayHelp = "Stops the preview at the frame it shows, and plays it on again.";
constexpr const char* kModeHelp =
    "How the picture moves. Drift: its constants move along closed loops, so the animation repeats without "
    "a jump. Turn: the plane turns about the chosen point. Zoom: the view zooms into the chosen point. "
    "Morph: the picture becomes the partner's picture.";
constexpr const char* kStrengthHelp =
    "How far the drifting constants stray from their values: Subtle, Medium or Wild.";
constexpr const char* kDriftTooHelp = "The constants drift as well while the plane turns or zooms.";
constexpr const char* kAngleHelp =
    "How far the plane turns over the whole animation. A whole turn (360 degrees) or a multiple of it "
    "repeats without a jump; a negative angle turns the other way.";
constexpr const char* kZoomHelp =
    "The magnification reached at the end of the zoom (or at its middle, when it zooms back out); below 1 "
    "zooms out. The zoom keeps a steady pace.";
constexpr const char* kZoomBackHelp =
    "Zooms in for the first half and back out for the second, so that the animation repeats without a jump.";
constexpr const char* kPointHelp =
    "The point that the plane turns about or zooms into, x and y from -1 to 1 across the picture (-1, -1 "
    "is the top left corner). A click on the preview picks it.";
constexpr const char* kPartnerHelp =
    "The picture this one becomes: another open document, or a .quil file (\"From a file...\"). The first "
    "frame is exactly this picture and the last exactly the partner.";
constexpr const char* kSeedHelp =
    "Where each constant starts on its loop: another seed gives another drift of the same picture.";
constexpr const char* kSecondsHelp = "How long the animation plays once, in seconds.";
constexpr const char* kFpsHelp =
    "How many frames are shown per second; the animation has length times rate frames.";
constexpr const char* kSizeHelp =
    "The size of the saved animation in pixels, up to 3840 x 2160. MP4 and WebM need an even width and "
    "height.";
constexpr const char* kAntiAliasHelp =
    "Computes every pixel of the saved frames from several points, for smoother edges; it takes longer.";
constexpr const char* kTypeHelp =
    "The kind of file \"Save Animation...\" writes: animated WebP, GIF, MP4 (H.264), WebM (VP9) or "
    "numbered PNG frames. The extension of the name chosen there decides.";
constexpr const char* kSaveHelp =
    "Writes the animation to a file you choose. The progress bar shows how far it is and the time left.";
constexpr const char* kAbortHelp = "Stops the save; no file is left behind.";
constexpr const char* kCloseHelp =
    "Closes the window; a save under way is stopped. The settings are kept for the next time.";
constexpr const char* kHelpHelp = "Opens the help page of this window.";
constexpr const char* kHelpPage = "animation.html";

QString Text(const char* text) { return QString::fromUtf8(text); }

QImage FrameImage(const Picture& frame)
{
    return WrapPicture(frame).copy();
}

}  // namespace

// --------------------------------------------------------------------------
CAnimationPreview::CAnimationPreview(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setToolTip(Text("Click to choose the point that the picture turns about or zooms into"));
    setWhatsThis(Text(kPreviewHelp));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CAnimationPreview::sizeHint() const { return {kAnimationPreviewSide + 2, kAnimationPreviewSide + 2}; }

QRect CAnimationPreview::FrameRect() const { return {1, 1, kAnimationPreviewSide, kAnimationPreviewSide}; }

void CAnimationPreview::SetFrame(const QImage& frame)
{
    m_frame = frame;
    update();
}

void CAnimationPreview::SetPoint(bool shown, double x, double y)
{
    m_bPoint = shown;
    m_x = x;
    m_y = y;
    update();
}

void CAnimationPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().dark());
    const QRect area = FrameRect();
    if (m_frame.isNull())
        painter.fillRect(area, Qt::black);
    else
        painter.drawImage(area, m_frame);
    if (m_bPoint) {
        const QPointF p(area.left() + (m_x + 1.0) * 0.5 * area.width(), area.top() + (m_y + 1.0) * 0.5 * area.height());
        for (const auto& [colour, width] : {std::pair{QColor(Qt::black), 3.0}, std::pair{QColor(Qt::white), 1.0}}) {
            painter.setPen(QPen(colour, width));
            painter.drawLine(p + QPointF(-7, 0), p + QPointF(-2, 0));
            painter.drawLine(p + QPointF(2, 0), p + QPointF(7, 0));
            painter.drawLine(p + QPointF(0, -7), p + QPointF(0, -2));
            painter.drawLine(p + QPointF(0, 2), p + QPointF(0, 7));
        }
    }
}

void CAnimationPreview::mousePressEvent(QMouseEvent* event)
{
    const QRect area = FrameRect();
    const QPoint at = event->position().toPoint() - area.topLeft();
    double x, y;
    PreviewPixelToPlane(at.x(), at.y(), area.width(), x, y);
    emit PointPicked(x, y);
}

// --------------------------------------------------------------------------
CAnimationWnd::CAnimationWnd(CQuilDoc& doc, CVariationsPeers& peers, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), m_pDoc(&doc), m_peers(peers), m_store(store)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(kTitle).arg(doc.GetTitle()));
    LoadAnimationChoices(m_store, m_choices);

    auto* previewColumn = new QVBoxLayout;
    m_pPreviewView = new CAnimationPreview(this);
    previewColumn->addWidget(m_pPreviewView, 0, Qt::AlignHCenter);
    auto* playRow = new QHBoxLayout;
    m_pPlay = new QPushButton(Text("&Pause"), this);
    m_pPlay->setCheckable(true);
    m_pPlay->setWhatsThis(Text(kPlayHelp));
    playRow->addWidget(m_pPlay);
    m_pPreviewStatus = new QLabel(this);
    // Two lines always, beside the button under the preview, so that the
    // window keeps its shape as the counts change.
    m_pPreviewStatus->setMinimumHeight(2 * m_pPreviewStatus->fontMetrics().lineSpacing() + 2);
    m_pPreviewStatus->setFixedWidth(kAnimationPreviewSide + 2 - m_pPlay->sizeHint().width() - 6);
    m_pPreviewStatus->setWordWrap(true);
    playRow->addWidget(m_pPreviewStatus, 1);
    previewColumn->addLayout(playRow);
    previewColumn->addStretch(1);

    auto* settingsColumn = new QVBoxLayout;
    settingsColumn->addWidget(CreateMotionBox());
    settingsColumn->addWidget(CreateSaveBox());
    settingsColumn->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(previewColumn);
    top->addLayout(settingsColumn, 1);

    auto* bottom = new QHBoxLayout;
    m_pProgress = new QProgressBar(this);
    m_pProgress->setTextVisible(false);
    m_pProgress->setVisible(false);
    m_pSaveStatus = new QLabel(this);
    m_pSaveButton = new QPushButton(Text("&Save Animation..."), this);
    m_pSaveButton->setDefault(true);
    m_pAbort = new QPushButton(Text("&Abort"), this);
    m_pAbort->setEnabled(false);
    auto* close = new QPushButton(Text("&Close"), this);
    auto* help = new QPushButton(Text("&Help"), this);
    m_pSaveButton->setWhatsThis(Text(kSaveHelp));
    m_pAbort->setWhatsThis(Text(kAbortHelp));
    close->setWhatsThis(Text(kCloseHelp));
    help->setWhatsThis(Text(kHelpHelp));
    bottom->addWidget(m_pProgress, 1);
    bottom->addWidget(m_pSaveStatus, 2);
    bottom->addWidget(m_pSaveButton);
    bottom->addWidget(m_pAbort);
    bottom->addWidget(close);
    bottom->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    m_restart.setSingleShot(true);
    m_restart.setInterval(kRestartDelayMs);
    connect(&m_restart, &QTimer::timeout, this, [this] { RestartPreview(); });
    connect(&m_play, &QTimer::timeout, this, [this] { OnTick(); });
    connect(m_pPlay, &QPushButton::toggled, this, [this](bool paused) {
        m_pPlay->setText(Text(paused ? "&Play" : "&Pause"));
    });
    connect(m_pPreviewView, &CAnimationPreview::PointPicked, this, [this](double x, double y) {
        m_pPointX->setValue(x);
        m_pPointY->setValue(y);
    });
    connect(m_pSaveButton, &QPushButton::clicked, this, [this] { OnSaveClicked(); });
    connect(m_pAbort, &QPushButton::clicked, this, [this] { OnAbortSave(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] { CHelpWindow::ShowTopic(this, Text(kHelpPage)); });

    connect(&doc, &QObject::destroyed, this, [this] { OnDocumentGone(); });
    connect(&doc, &CQuilDoc::TitleChanged, this, [this] {
        if (m_pDoc)
            setWindowTitle(Text(kTitle).arg(m_pDoc->GetTitle()));
    });
    connect(&doc, &CQuilDoc::ExpressionChanged, this, [this] { m_restart.start(); });

    FillPartners();
    ShowChoices();
    RestartPreview();
}

CAnimationWnd::~CAnimationWnd()
{
    // The runs join their threads; their late posts die with this object.
    m_pSave.reset();
    m_pPreview.reset();
    SaveAnimationChoices(m_store, m_choices);
}

QWidget* CAnimationWnd::CreateMotionBox()
{
    auto* box = new QGroupBox(Text("Motion"), this);
    auto* form = new QFormLayout(box);
    m_pMode = new QComboBox(box);
    for (int m = 0; m < kNumMotionModes; ++m) {
        m_pMode->addItem(Text(kModeNames[m]));
        m_pMode->setItemData(m, Text(kModeTips[m]), Qt::ToolTipRole);
    }
    form->addRow(Text("&Mode:"), m_pMode);

    m_pStrength = new QComboBox(box);
    for (const char* name : kStrengthNames)
        m_pStrength->addItem(Text(name));
    m_pStrength->setToolTip(Text("How far the constants stray from their values"));
    m_pDriftToo = new QCheckBox(Text("&Drift as well"), box);
    m_pDriftToo->setToolTip(Text("The constants drift while the plane turns or zooms"));
    m_pAngle = new QSpinBox(box);
    m_pAngle->setRange(-3600, 3600);
    m_pAngle->setSuffix(Text(" degrees"));
    m_pAngle->setToolTip(Text("A whole turn (360) or a multiple repeats without a jump"));
    m_pZoom = new QDoubleSpinBox(box);
    m_pZoom->setRange(0.01, kMaxZoomFactor);
    m_pZoom->setDecimals(2);
    m_pZoom->setPrefix(Text("x "));
    m_pZoom->setToolTip(Text("The magnification reached; below 1 zooms out"));
    m_pZoomBack = new QCheckBox(Text("Zoom &back out (loop)"), box);
    m_pPointX = new QDoubleSpinBox(box);
    m_pPointY = new QDoubleSpinBox(box);
    for (QDoubleSpinBox* spin : {m_pPointX, m_pPointY}) {
        spin->setRange(-1.0, 1.0);
        spin->setDecimals(3);
        spin->setSingleStep(0.05);
        spin->setToolTip(Text("Click the preview to choose the point"));
    }
    auto* point = new QWidget(box);
    auto* pointRow = new QHBoxLayout(point);
    pointRow->setContentsMargins(0, 0, 0, 0);
    pointRow->addWidget(m_pPointX);
    pointRow->addWidget(m_pPointY);
    m_pPartner = new QComboBox(box);
    m_pPartner->setMinimumContentsLength(18);
    m_pPartner->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pPartner->setWhatsThis(Text(kPartnerHelp));
    m_pSeed = new QSpinBox(box);
    m_pSeed->setRange(0, 0x7fffffff);
    m_pSeed->setToolTip(Text("Where each constant starts on its loop"));

    const auto addRow = [&](const char* label, QWidget* field, std::initializer_list<MotionMode> modes) {
        auto* text = new QLabel(Text(label), box);
        text->setBuddy(field);
        form->addRow(text, field);
        for (MotionMode m : modes) {
            m_rows[int(m)].push_back(text);
            m_rows[int(m)].push_back(field);
        }
    };
    addRow("Stren&gth:", m_pStrength, {MotionMode::Drift, MotionMode::Turn, MotionMode::Zoom});
    form->addRow(QString(), m_pDriftToo);
    m_rows[int(MotionMode::Turn)].push_back(m_pDriftToo);
    m_rows[int(MotionMode::Zoom)].push_back(m_pDriftToo);
    addRow("A&ngle:", m_pAngle, {MotionMode::Turn});
    addRow("&Zoom:", m_pZoom, {MotionMode::Zoom});
    form->addRow(QString(), m_pZoomBack);
    m_rows[int(MotionMode::Zoom)].push_back(m_pZoomBack);
    addRow("P&oint:", point, {MotionMode::Turn, MotionMode::Zoom});
    addRow("Pa&rtner:", m_pPartner, {MotionMode::Morph});
    addRow("S&eed:", m_pSeed, {MotionMode::Drift, MotionMode::Turn, MotionMode::Zoom});

    m_pSeconds = new QDoubleSpinBox(box);
    m_pSeconds->setRange(kMinAnimationSeconds, kMaxAnimationSeconds);
    m_pSeconds->setDecimals(1);
    m_pSeconds->setSuffix(Text(" s"));
    m_pFps = new QSpinBox(box);
    m_pFps->setRange(kMinAnimationFps, kMaxAnimationFps);
    m_pFps->setSuffix(Text(" frames/s"));
    for (const auto& [control, help] : {std::pair<QWidget*, const char*>{m_pMode, kModeHelp},
                                        {m_pStrength, kStrengthHelp},
                                        {m_pDriftToo, kDriftTooHelp},
                                        {m_pAngle, kAngleHelp},
                                        {m_pZoom, kZoomHelp},
                                        {m_pZoomBack, kZoomBackHelp},
                                        {m_pPointX, kPointHelp},
                                        {m_pPointY, kPointHelp},
                                        {m_pSeed, kSeedHelp},
                                        {m_pSeconds, kSecondsHelp},
                                        {m_pFps, kFpsHelp}})
        control->setWhatsThis(Text(help));
    form->addRow(Text("&Length:"), m_pSeconds);
    form->addRow(Text("&Frame rate:"), m_pFps);

    const auto changed = [this] {
        if (m_bFilling)
            return;
        ReadControls();
        ShowChoices();
        m_restart.start();
    };
    for (QComboBox* combo : {m_pMode, m_pStrength})
        connect(combo, &QComboBox::currentIndexChanged, this, changed);
    connect(m_pPartner, &QComboBox::activated, this, [this, changed](int index) {
        if (index == m_pPartner->count() - 1) {
            // Read a ".quil" file as the partner.
            FileDialogRequest request;
            request.parent = this;
            request.save = false;
            request.title = Text("Morph Partner");
            request.filter = Text("Quil files (*.quil)");
            const QString name = QuilFileDialog(request);
            auto expression = std::make_unique<CQuilExpression>();
            std::string text, reason;
            if (!name.isEmpty() &&
                ReadRegularFile(QFile::encodeName(name).toStdString(), size_t(64) << 20, text, &reason)) {
                StringArchive archive(text, QFile::encodeName(name).toStdString());
                if (expression->ReadExpression(archive)) {
                    m_pPartnerFile = std::move(expression);
                    m_strPartnerFile = name;
                } else {
                    QuilMessageBox(this, Text(kMsgErrorLoading), Text("Quil"), QMessageBox::Warning);
                }
            }
            FillPartners();
        }
        changed();
    });
    for (QCheckBox* check : {m_pDriftToo, m_pZoomBack})
        connect(check, &QCheckBox::toggled, this, changed);
    for (QSpinBox* spin : {m_pAngle, m_pFps, m_pSeed})
        connect(spin, &QSpinBox::valueChanged, this, changed);
    for (QDoubleSpinBox* spin : {m_pZoom, m_pPointX, m_pPointY, m_pSeconds})
        connect(spin, &QDoubleSpinBox::valueChanged, this, changed);
    return box;
}

QWidget* CAnimationWnd::CreateSaveBox()
{
    auto* box = new QGroupBox(Text("File"), this);
    auto* form = new QFormLayout(box);
    m_pWidth = new QSpinBox(box);
    m_pWidth->setRange(1, kMaxAnimationSaveWidth);
    m_pHeight = new QSpinBox(box);
    m_pHeight->setRange(1, kMaxAnimationSaveHeight);
    auto* size = new QWidget(box);
    auto* sizeRow = new QHBoxLayout(size);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    sizeRow->addWidget(m_pWidth);
    sizeRow->addWidget(new QLabel(Text("x"), size));
    sizeRow->addWidget(m_pHeight);
    sizeRow->addWidget(new QLabel(Text("pixels"), size));
    form->addRow(Text("S&ize:"), size);
    m_pAntiAlias = new QCheckBox(Text("An&ti-aliasing"), box);
    form->addRow(QString(), m_pAntiAlias);
    m_pType = new QComboBox(box);
    for (const AnimationTypeInfo& type : kAnimationTypes)
        m_pType->addItem(Text(type.description) + Text(" (.") + Text(type.extension) + Text(")"));
    form->addRow(Text("T&ype:"), m_pType);
    for (const auto& [control, help] : {std::pair<QWidget*, const char*>{size, kSizeHelp},
                                        {m_pAntiAlias, kAntiAliasHelp},
                                        {m_pType, kTypeHelp}})
        control->setWhatsThis(Text(help));
    const auto changed = [this] {
        if (!m_bFilling)
            ReadControls();
    };
    for (QSpinBox* spin : {m_pWidth, m_pHeight})
        connect(spin, &QSpinBox::valueChanged, this, changed);
    connect(m_pAntiAlias, &QCheckBox::toggled, this, changed);
    connect(m_pType, &QComboBox::currentIndexChanged, this, changed);
    return box;
}

void CAnimationWnd::ReadControls()
{
    AnimationChoices& c = m_choices;
    c.mode = m_pMode->currentIndex();
    c.strength = m_pStrength->currentIndex() + kMinDriftStrength;
    c.driftToo = m_pDriftToo->isChecked();
    c.angle = m_pAngle->value();
    c.zoom = m_pZoom->value();
    c.zoomBack = m_pZoomBack->isChecked();
    c.pointX = m_pPointX->value();
    c.pointY = m_pPointY->value();
    c.seconds = m_pSeconds->value();
    c.fps = m_pFps->value();
    c.seed = uint32_t(m_pSeed->value());
    c.width = m_pWidth->value();
    c.height = m_pHeight->value();
    c.antiAlias = m_pAntiAlias->isChecked();
    c.type = m_pType->currentIndex();
}

void CAnimationWnd::ShowChoices()
{
    m_bFilling = true;
    const AnimationChoices& c = m_choices;
    m_pMode->setCurrentIndex(c.mode);
    m_pStrength->setCurrentIndex(c.strength - kMinDriftStrength);
    m_pDriftToo->setChecked(c.driftToo);
    m_pAngle->setValue(c.angle);
    m_pZoom->setValue(c.zoom);
    m_pZoomBack->setChecked(c.zoomBack);
    m_pPointX->setValue(c.pointX);
    m_pPointY->setValue(c.pointY);
    m_pSeconds->setValue(c.seconds);
    m_pFps->setValue(c.fps);
    m_pSeed->setValue(int(c.seed & 0x7fffffffu));
    m_pWidth->setValue(c.width);
    m_pHeight->setValue(c.height);
    m_pAntiAlias->setChecked(c.antiAlias);
    m_pType->setCurrentIndex(c.type);
    for (int m = 0; m < kNumMotionModes; ++m)
        for (QWidget* w : m_rows[m])
            w->setVisible(false);
    for (QWidget* w : m_rows[c.mode])
        w->setVisible(true);
    const bool drifts = c.mode == int(MotionMode::Drift) || c.driftToo;
    m_pStrength->setEnabled(drifts);
    m_pSeed->setEnabled(drifts);
    const bool point = c.mode == int(MotionMode::Turn) || c.mode == int(MotionMode::Zoom);
    m_pPreviewView->SetPoint(point, c.pointX, c.pointY);
    m_bFilling = false;
}

void CAnimationWnd::FillPartners()
{
    m_bFilling = true;
    const int previous = m_pPartner->currentIndex();
    const bool wasFile = m_pPartnerFile && previous == int(m_partnerDocs.size());
    m_pPartner->clear();
    m_partnerDocs.clear();
    if (m_pDoc)
        for (CQuilDoc* other : m_peers.OtherDocuments(m_pDoc)) {
            m_partnerDocs.emplace_back(other);
            m_pPartner->addItem(other->GetTitle());
        }
    if (m_pPartnerFile)
        m_pPartner->addItem(QFileInfo(m_strPartnerFile).fileName());
    m_pPartner->addItem(Text(kPartnerFromFile));
    // A file just read is chosen; otherwise the choice stays where it was.
    const int fileIndex = int(m_partnerDocs.size());
    if (m_pPartnerFile && (wasFile || previous == m_pPartner->count() - 1 || previous < 0))
        m_pPartner->setCurrentIndex(fileIndex);
    else
        m_pPartner->setCurrentIndex(std::clamp(previous, 0, std::max(0, m_pPartner->count() - 2)));
    m_bFilling = false;
}

const ExprNode* CAnimationWnd::PartnerRoot()
{
    const int index = m_pPartner->currentIndex();
    if (index >= 0 && index < int(m_partnerDocs.size()))
        return m_partnerDocs[size_t(index)] ? m_partnerDocs[size_t(index)]->m_pExpression->GetRoot() : nullptr;
    if (m_pPartnerFile && index == int(m_partnerDocs.size()))
        return m_pPartnerFile->GetRoot();
    return nullptr;
}

std::shared_ptr<const AnimationSubject> CAnimationWnd::MakeSubject(int width, int height, QString* problem)
{
    if (!m_pDoc)
        return nullptr;
    const MotionSettings motion = m_choices.Motion();
    const ExprNode* partner = motion.mode == MotionMode::Morph ? PartnerRoot() : nullptr;
    if (motion.mode == MotionMode::Morph && !partner) {
        *problem = Text(kNoPartner);
        return nullptr;
    }
    std::shared_ptr<const Picture> source;
    if (m_pDoc->m_pExpression->m_bUsesPicture)
        source = m_pDoc->Shell().Pictures().GetScaledPicture(width, height);
    auto subject = std::make_shared<const AnimationSubject>(m_pDoc->m_pExpression->GetRoot(), partner, motion,
                                                            std::move(source));
    if (!subject->Valid()) {
        *problem = Text(kPreviewFailed);
        return nullptr;
    }
    return subject;
}

void CAnimationWnd::RestartPreview()
{
    m_pPreview.reset();
    ++m_nSerial;
    m_frames.clear();
    m_nShown = 0;
    m_bPreviewComplete = false;
    m_strPreviewProblem.clear();
    m_play.stop();
    // Computed at the screen's pixels, so that the preview is as sharp as
    // the picture in its view.
    m_nPreviewSide = PreviewSide(devicePixelRatioF());
    auto subject = MakeSubject(m_nPreviewSide, m_nPreviewSide, &m_strPreviewProblem);
    if (subject) {
        const int total = subject->Frames().Count();
        m_nStep = PreviewStep(total, m_nPreviewSide);
        m_play.start(std::max(1, int(1000.0 * m_nStep / std::max(1, m_choices.fps))));
        const int serial = m_nSerial;
        m_pPreview = std::make_unique<AnimationPreviewRun>(
            std::move(subject), m_nPreviewSide, m_nStep,
            [this, serial](int index, Picture& frame) {
                QImage image = FrameImage(frame);
                QMetaObject::invokeMethod(this, [this, serial, index, image] { OnFrameReady(serial, index, image); },
                                          Qt::QueuedConnection);
            },
            [this, serial](bool failed) {
                QMetaObject::invokeMethod(this, [this, serial, failed] { OnPreviewFinished(serial, failed); },
                                          Qt::QueuedConnection);
            });
    }
    OnTick();
}

void CAnimationWnd::OnFrameReady(int serial, int, const QImage& frame)
{
    if (serial != m_nSerial)
        return;
    m_frames.push_back(frame);
    if (m_frames.size() == 1)
        OnTick();
}

void CAnimationWnd::OnPreviewFinished(int serial, bool failed)
{
    if (serial != m_nSerial)
        return;
    m_bPreviewComplete = !failed;
    if (failed)
        m_strPreviewProblem = Text(kPreviewFailed);
    OnTick();
}

// Shows the next frame at the chosen rate; while the frames are still being
// computed, the preview plays what is there.
void CAnimationWnd::OnTick()
{
    if (!m_strPreviewProblem.isEmpty()) {
        // Without a partner the still stays in view; a picture that cannot
        // be computed shows nothing.
        if (m_strPreviewProblem != Text(kNoPartner))
            m_pPreviewView->SetFrame(QImage());
        m_pPreviewStatus->setText(m_strPreviewProblem);
        return;
    }
    if (!m_frames.empty()) {
        if (!m_pPlay->isChecked())
            m_nShown = (m_nShown + 1) % int(m_frames.size());
        m_pPreviewView->SetFrame(m_frames[size_t(std::min(m_nShown, int(m_frames.size()) - 1))]);
    }
    const int total = m_choices.Motion().FrameCount();
    const int previewTotal = (total + m_nStep - 1) / m_nStep;
    QString status = Text("Frame %1 of %2").arg(m_frames.empty() ? 0 : m_nShown * m_nStep + 1).arg(total);
    if (!m_bPreviewComplete)
        status += Text("\n%1 of %2 computed").arg(m_frames.size()).arg(previewTotal);
    else if (m_nStep > 1)
        status += Text("\nShown: every %1th frame").arg(m_nStep);
    m_pPreviewStatus->setText(status);
}

void CAnimationWnd::OnSaveClicked()
{
    ReadControls();
    const std::string problem = AnimationSizeProblem(m_choices);
    if (!problem.empty()) {
        QuilMessageBox(this, QString::fromStdString(problem), Text("Quil"), QMessageBox::Warning);
        return;
    }
    const AnimationTypeInfo& type = kAnimationTypes[m_choices.type];
    FileDialogRequest request;
    request.parent = this;
    request.save = true;
    request.title = Text(kSaveCaption);
    const QString base = m_pDoc ? QFileInfo(m_pDoc->GetTitle()).completeBaseName() : QString();
    request.fileName = base + Text(".") + Text(type.extension);
    request.filter = QString::fromStdString(AnimationDialogFilter());
    request.selectedFilter = Text(type.description) + Text(" (*.") + Text(type.extension) + Text(")");
    request.defaultSuffix = Text(type.extension);
    const QString path = QuilFileDialog(request);
    if (!path.isEmpty())
        SaveTo(path);
}

void CAnimationWnd::SaveTo(const QString& fileName)
{
    if (m_pSave || !m_pDoc)
        return;
    ReadControls();
    const std::string name = QFile::encodeName(fileName).toStdString();
    const int type = AnimationTypeOfName(name);
    if (type < 0) {
        QuilMessageBox(this, Text(kMsgNoAnimationType), Text("Quil"), QMessageBox::Warning);
        return;
    }
    m_choices.type = type;
    m_pType->setCurrentIndex(type);
    const std::string problem = AnimationSizeProblem(m_choices);
    QString why = QString::fromStdString(problem);
    auto subject = problem.empty() ? MakeSubject(m_choices.width, m_choices.height, &why) : nullptr;
    if (!subject) {
        QuilMessageBox(this, why, Text("Quil"), QMessageBox::Warning);
        return;
    }
    // The recipe follows the pictures' setting: none when they carry none.
    std::string recipe;
    const std::string expression = m_pDoc->RecipeText(fileName);
    if (!expression.empty()) {
        std::string partner;
        if (subject->Motion().mode == MotionMode::Morph) {
            CQuilExpression copy;
            if (copy.CopyFrom(PartnerRoot()))
                partner = copy.RecipeText(name);
        }
        recipe = AnimationRecipeText(subject->Motion(), m_choices.width, m_choices.height, m_choices.antiAlias,
                                     expression, partner);
    }
    m_nSaveTotal = subject->Frames().Count();
    m_strSaveName = fileName;
    m_saveClock.start();
    m_pProgress->setRange(0, m_nSaveTotal);
    m_pProgress->setValue(0);
    m_pProgress->setVisible(true);
    m_pSaveButton->setEnabled(false);
    m_pAbort->setEnabled(true);
    OnSaveProgress(0);
    m_pSave = std::make_unique<AnimationSaveRun>(
        std::move(subject), m_choices.width, m_choices.height, m_choices.antiAlias, name, recipe,
        [this](int written) {
            QMetaObject::invokeMethod(this, [this, written] { OnSaveProgress(written); }, Qt::QueuedConnection);
        },
        [this](AnimationWriteResult result, const std::string& reason) {
            const QString text = QString::fromStdString(reason);
            QMetaObject::invokeMethod(this, [this, result, text] { OnSaveFinished(result, text); },
                                      Qt::QueuedConnection);
        });
}

void CAnimationWnd::OnSaveProgress(int written)
{
    if (!m_pSave && written > 0)
        return;
    m_pProgress->setValue(written);
    m_pSaveStatus->setText(
        QString::fromStdString(SaveProgressText(written, m_nSaveTotal, m_saveClock.elapsed() / 1000.0)));
}

void CAnimationWnd::OnAbortSave()
{
    if (m_pSave)
        m_pSave->Abort();
}

void CAnimationWnd::OnSaveFinished(AnimationWriteResult result, const QString& reason)
{
    m_pSave.reset();
    m_pProgress->setVisible(false);
    m_pSaveButton->setEnabled(true);
    m_pAbort->setEnabled(false);
    switch (result) {
    case AnimationWriteResult::Written:
        m_pSaveStatus->setText(Text(kSaved).arg(QFileInfo(m_strSaveName).fileName()));
        break;
    case AnimationWriteResult::Aborted: m_pSaveStatus->setText(Text(kAborted)); break;
    case AnimationWriteResult::EvaluationFailed:
        m_pSaveStatus->clear();
        QuilMessageBox(this, Text(kPreviewFailed), Text("Quil"), QMessageBox::Warning);
        break;
    case AnimationWriteResult::Failed:
        m_pSaveStatus->clear();
        QuilMessageBox(this, Text(kSaveFailed).arg(m_strSaveName, reason), Text("Quil"), QMessageBox::Warning);
        break;
    }
}

void CAnimationWnd::SetChoices(const AnimationChoices& choices)
{
    m_choices = choices;
    ShowChoices();
    RestartPreview();
}

void CAnimationWnd::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Moved to a screen of another pixel ratio, the preview is computed anew.
    if (!m_bWatchingScreen && windowHandle()) {
        m_bWatchingScreen = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] {
            if (PreviewSide(devicePixelRatioF()) != m_nPreviewSide)
                RestartPreview();
        });
    }
    if (PreviewSide(devicePixelRatioF()) != m_nPreviewSide)
        RestartPreview();
}

void CAnimationWnd::closeEvent(QCloseEvent* event)
{
    ReadControls();
    SaveAnimationChoices(m_store, m_choices);
    QWidget::closeEvent(event);
}

void CAnimationWnd::OnDocumentGone()
{
    m_pDoc = nullptr;
    m_pSave.reset();
    m_pPreview.reset();
    close();
}
