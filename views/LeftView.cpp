#include "LeftView.h"

#include "TreeItems.h"

#include "engine/QuilExpression.h"
#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"
#include "render/production/ThumbnailRenderer.h"
#include "resources/ResourceIds.h"
#include "shell/DisplaySettings.h"
#include "shell/QtJobNotifier.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr const char* kWhatsThisTree =
    "The expression of the picture, one line per node with a small picture of its branch. "
    "F2 or a click on the selected label edits a node; drag a branch onto another node to move it there; "
    "double-click a node to open its branch as a new picture; the right mouse button offers more.";

QColor FocusBackground(bool focused)
{
    return focused ? QColor(255, 255, 255) : QColor(kTreeFocusGrey, kTreeFocusGrey, kTreeFocusGrey);
}

}  // namespace

CLeftView::CLeftView(CQuilDoc* doc, QWidget* parent)
    : QTreeWidget(parent), CDocView(doc), m_nThumbSize(doc ? doc->Shell().Display().m_nThumbSize : kDefaultThumbSide)
{
    setColumnCount(1);
    header()->hide();
    // The column is sized from the labels by the view itself, in one pass:
    // sizing it to its contents on every change costs a walk over the rows each time.
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    setRootIsDecorated(true);
    // Every row holds one line of text and room for one thumbnail: rows of
    // one height let the view lay out deep trees without measuring each row.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setDragEnabled(false);  // branch drags are the view's own (LeftViewDrag.cpp)
    setExpandsOnDoubleClick(true);
    setAutoFillBackground(true);
    viewport()->setAutoFillBackground(true);
    setWhatsThis(QString::fromUtf8(kWhatsThisTree));
    SetFocusColour(false);
    ApplyIndentation();
    InstallLabelDelegate();

    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(
        this, [this](const JobNotice& notice, quint64 serial) { OnThumbnailsDone(notice, serial); });
    m_dragTimer.setSingleShot(false);
    connect(&m_dragTimer, &QTimer::timeout, this, &CLeftView::OnDragTimer);
    m_columnTimer.setSingleShot(true);
    m_columnTimer.setInterval(0);
    connect(&m_columnTimer, &QTimer::timeout, this, &CLeftView::UpdateColumnWidth);
    connect(this, &QTreeWidget::itemExpanded, this, &CLeftView::ScheduleColumnWidth);
    connect(this, &QTreeWidget::itemCollapsed, this, &CLeftView::ScheduleColumnWidth);
    connect(model(), &QAbstractItemModel::dataChanged, this, &CLeftView::ScheduleColumnWidth);
    connect(model(), &QAbstractItemModel::rowsInserted, this, &CLeftView::ScheduleColumnWidth);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &CLeftView::ScheduleColumnWidth);

    if (m_pDocument)
        m_pDocument->AddView(this);
}

CLeftView::~CLeftView()
{
    CancelDrag();
    // Stop first: a job that ends within the wait still reaches this live view
    // (its end event dies with it); only one that outlives the wait beeps.
    if (m_pJob)
        StopJob(*m_pJob);  // the job owns what it writes; the wait is for the user's sake
    m_pNotifyTarget->Detach();
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CShellServices& CLeftView::Shell() const { return m_pDocument->Shell(); }

CUndoHistory& CLeftView::UndoHistory() { return m_pDocument->UndoHistory(); }

// Updates ---------------------------------------------------------------------------

void CLeftView::OnInitialUpdate()
{
    m_bInitialised = true;
    if (m_pDocument && m_pDocument->m_bOpenedByDrop) {
        // The main window refreshes documents opened by a drop once the drop is done.
        viewport()->update();
        return;
    }
    OnUpdate(nullptr, HINT_FULL_UPDATE, 0);
}

void CLeftView::OnUpdate(CDocView* /*sender*/, int hint, std::uintptr_t arg)
{
    if (!m_bInitialised || !m_pDocument)
        return;
    switch (hint) {
    case HINT_DISPLAY_SIZE:
    case HINT_DISPLAY_SETTINGS:
        return;
    case HINT_STOP_CALCULATION:
        StopThumbnailJob();
        return;
    default:
        Rebuild(hint, arg);
        return;
    }
}

void CLeftView::StopThumbnailJob()
{
    if (m_pJob && m_pJob->IsRunning())
        StopJob(*m_pJob);
}

void CLeftView::Rebuild(int hint, std::uintptr_t arg)
{
    if (m_pJob) {
        StopJob(*m_pJob);
        m_pJob.reset();
    }
    if (hint == HINT_THUMB_SIZE && arg != 0)
        m_nThumbSize = int(std::min<std::uintptr_t>(arg, kMaxThumbSide));

    DetachThumbnails();
    ApplyIndentation();
    m_nOldImageCount = m_pThumbList ? m_pThumbList->size() : 0;
    m_pThumbList.reset();

    if (hint == HINT_FULL_UPDATE) {
        CancelDrag();
        m_pContextItem = nullptr;
        m_pPressItem = nullptr;
        setUpdatesEnabled(false);
        clear();
        int image = 0;
        QTreeWidgetItem* root = InsertExpressionItems(this, m_pDocument->m_pExpression->GetRoot(), image);
        if (root && Shell().Display().m_bExpandTree)
            expandAll();
        scrollToTop();
        UpdateColumnWidth();
        setUpdatesEnabled(true);
    }

    if (m_nThumbSize <= 0)
        return;
    StartThumbnailJob();
}

void CLeftView::StartThumbnailJob()
{
    m_dThumbRatio = devicePixelRatioF();
    const int side = std::clamp(int(std::lround(m_nThumbSize * m_dThumbRatio)), 1, int(kMaxPictureSide));
    m_pThumbPicture = std::make_shared<Picture>();
    if (!m_pThumbPicture->Create(side, side))
        return;
    m_pThumbList = std::make_shared<std::vector<Picture>>();
    m_pThumbList->reserve(m_nOldImageCount);

    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = m_pDocument->m_pExpression->GetRoot();
    job->m_pTarget = m_pThumbPicture;
    job->m_pThumbList = m_pThumbList;
    job->m_pRenderer = RenderProduction;
    job->m_pThumbnailRenderer = RenderThumbnailsProduction;  // every node's picture in one pass
    if (m_pDocument->m_pExpression->m_bUsesPicture)
        job->m_pSourcePicture = Shell().Pictures().GetThumbPicture(side);
    // A replaced job's late notice still arrives and is ignored by its serial.
    if (!job->Start(std::make_shared<QtJobNotifier>(m_pNotifyTarget, ++m_nJobSerial)))
        return;  // no thumbnails this time; the tree works without them
    m_pJob = std::move(job);
}

void CLeftView::OnThumbnailsDone(const JobNotice& notice, quint64 serial)
{
    if (serial != m_nJobSerial || !m_pJob)
        return;  // from a job this view has replaced
    if (notice.kind == JobNotice::Kind::Finished)
        AttachThumbnails();
}

void CLeftView::AttachThumbnails()
{
    if (!m_pThumbList)
        return;
    // Like an image list given to the tree: the rows draw their thumbnails by
    // image index from now on, so attaching costs nothing per item.
    m_thumbIcons.assign(m_pThumbList->size(), QIcon());
    m_bThumbsAttached = true;
    viewport()->update();
}

void CLeftView::DetachThumbnails()
{
    m_bThumbsAttached = false;
    m_thumbIcons.clear();
    viewport()->update();
}

QIcon CLeftView::ThumbnailAt(int image) const
{
    if (!m_bThumbsAttached || !m_pThumbList || image < 0 || size_t(image) >= m_pThumbList->size() ||
        size_t(image) >= m_thumbIcons.size())
        return QIcon();
    QIcon& icon = m_thumbIcons[size_t(image)];
    if (icon.isNull()) {
        const QImage thumb = WrapPicture((*m_pThumbList)[size_t(image)]).convertToFormat(QImage::Format_RGB888);
        QPixmap pixmap = QPixmap::fromImage(thumb);
        pixmap.setDevicePixelRatio(m_dThumbRatio);
        icon = QIcon(pixmap);
    }
    return icon;
}

void CLeftView::paintEvent(QPaintEvent* event)
{
    // On a screen with another ratio the thumbnails are computed again for it.
    if (m_nThumbSize > 0 && m_pThumbPicture && !m_bRatioCheckQueued && devicePixelRatioF() != m_dThumbRatio) {
        m_bRatioCheckQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_bRatioCheckQueued = false;
            if (devicePixelRatioF() != m_dThumbRatio)
                Rebuild(HINT_THUMB_SIZE, 0);  // the same size, the items kept
        });
    }
    QTreeWidget::paintEvent(event);
}

QIcon CLeftView::ThumbnailOf(const QTreeWidgetItem* item) const { return ThumbnailAt(ItemImage(item)); }

void CLeftView::DecorateOption(QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_nThumbSize <= 0)
        return;
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = QSize(m_nThumbSize, m_nThumbSize);
    const QVariant image = index.data(kItemImageRole);
    option.icon = ThumbnailAt(image.isValid() ? image.toInt() : -1);
}

void CLeftView::ApplyIndentation()
{
    m_nRequestedIndent = m_nThumbSize;
    // A smaller indentation is raised to the style's minimum: below that the
    // expand buttons would have no room.
    const int minimum = style()->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, this);
    setIndentation(std::max(m_nRequestedIndent, minimum));
    setIconSize(QSize(m_nThumbSize, m_nThumbSize));
    // The rows' height follows the thumbnails'.
    scheduleDelayedItemsLayout();
    ScheduleColumnWidth();
}

void CLeftView::SetThumbSize(int size) { m_nThumbSize = std::clamp(size, 0, int(kMaxThumbSide)); }

bool CLeftView::IsThumbnailJobRunning() const { return m_pJob && m_pJob->IsRunning(); }

const std::vector<Picture>& CLeftView::Thumbnails() const
{
    static const std::vector<Picture> none;
    return m_bThumbsAttached && m_pThumbList ? *m_pThumbList : none;
}

// Focus and menus ----------------------------------------------------------------------

void CLeftView::SetFocusColour(bool focused)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, FocusBackground(focused));
    setPalette(colours);
}

void CLeftView::focusInEvent(QFocusEvent* event)
{
    SetFocusColour(true);
    QTreeWidget::focusInEvent(event);
}

void CLeftView::focusOutEvent(QFocusEvent* event)
{
    // The label editor is part of the tree, and a popup menu only borrows the
    // keyboard: both keep the focus colour.
    QWidget* now = QApplication::focusWidget();
    const bool keeps = event->reason() == Qt::PopupFocusReason || (now && (now == this || isAncestorOf(now)));
    if (!keeps)
        SetFocusColour(false);
    QTreeWidget::focusOutEvent(event);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_bDragging)
        return;
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // The key gives no place of its own: the menu opens at the mouse,
        // for the item under it (the tree's own menu when there is none).
        const QPoint at = QCursor::pos();
        const QPoint local = viewport()->mapFromGlobal(at);
        ShowContextMenu(at, viewport()->rect().contains(local) ? itemAt(local) : nullptr);
        return;
    }
    ShowContextMenu(event->globalPos(), itemAt(event->pos()));
}

void CLeftView::ShowContextMenu(const QPoint& globalPos, QTreeWidgetItem* item)
{
    if (!m_pDocument)
        return;
    // The menu's commands are routed through the active view: that is this one now.
    Shell().ActivateView(this);
    if (item)
        m_pContextItem = item;
    QMenu* menu = Shell().CreatePopupMenu(item ? IDR_TREE_MENU : IDR_LEFT_CONTEXT_MENU, this);
    if (item && !menu->actions().isEmpty())
        menu->setDefaultAction(menu->actions().constFirst());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_pItemMenu = item ? menu : nullptr;
    menu->popup(globalPos);
}

void CLeftView::OnExpandFully()
{
    if (!m_pContextItem)
        return;
    expandRecursively(indexFromItem(m_pContextItem));
    setCurrentItem(m_pContextItem);
    scrollToItem(m_pContextItem);
}

void CLeftView::OnCollapseFully()
{
    if (!m_pContextItem)
        return;
    // The item first: its branch is then out of view, and folding it is
    // cheap however deep it goes.
    std::vector<QTreeWidgetItem*> pending{m_pContextItem};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        item->setExpanded(false);
        for (int i = 0; i < item->childCount(); ++i)
            pending.push_back(item->child(i));
    }
}

// Commands --------------------------------------------------------------------------------

bool CLeftView::OnCommand(int id)
{
    switch (id) {
    case ID_TREE_AS_NEW_IMAGE: OnAsNewImage(); return true;
    case ID_TREE_INSERT_NODE: OnInsertNode(); return true;
    case ID_TREE_EDIT_NODE: OnEditNode(); return true;
    case ID_TREE_EXPAND_FULLY: OnExpandFully(); return true;
    case ID_TREE_COLLAPSE_FULLY: OnCollapseFully(); return true;
    case ID_EDIT_COPY: OnEditCopy(); return true;
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_EDIT_UNDO: OnUndo(); return true;
    case ID_EDIT_REDO: OnRedo(); return true;
    case ID_EDIT_COPY_EXPRESSION: OnCopyExpression(); return true;
    case ID_FILE_PRINT: OnFilePrint(); return true;
    case ID_FILE_PRINT_PREVIEW: OnFilePrintPreview(); return true;
    default: return false;
    }
}

bool CLeftView::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.m_nID) {
    case ID_TREE_AS_NEW_IMAGE:
    case ID_TREE_INSERT_NODE:
    case ID_TREE_EDIT_NODE:
    case ID_TREE_EXPAND_FULLY:
    case ID_TREE_COLLAPSE_FULLY:
    case ID_EDIT_COPY:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        ui.Enable(true);
        return true;
    case ID_EDIT_PASTE: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ui.Enable(LabelEditor() && data && data->hasText());
        return true;
    }
    case ID_EDIT_UNDO:
        ui.Enable(m_pDocument && !m_pDocument->UndoHistory().IsEmpty());
        return true;
    case ID_EDIT_REDO:
        ui.Enable(m_pDocument && m_pDocument->UndoHistory().CanRedo());
        return true;
    case ID_EDIT_COPY_EXPRESSION:
        ui.Enable(m_pDocument != nullptr);
        return true;
    default:
        return false;
    }
}
