#include "ChildFrame.h"

#include "MainFrame.h"

#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"
#include "views/LeftView.h"
#include "views/QuilView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace {
// Views are created at this size and laid out by the splitter afterwards.
constexpr int kInitialViewSide = 100;
}  // namespace

CChildFrame::CChildFrame(std::unique_ptr<CQuilDoc> doc, CMainFrame& mainFrame)
    : m_pDocument(std::move(doc)), m_mainFrame(mainFrame)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    connect(m_pDocument.get(), &CQuilDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
    connect(m_pDocument.get(), &CQuilDoc::ModifiedChanged, this, &CChildFrame::UpdateTitle);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    UpdateTitle();
}

CChildFrame::~CChildFrame()
{
    // The views stop their jobs and leave the document before it goes.
    delete m_pSplitter;
    m_pSplitter = nullptr;
    m_pDocument.reset();
}

bool CChildFrame::CreateClient()
{
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pSplitter);
    m_pSplitter->setChildrenCollapsible(false);
    m_pTreeView = new CLeftView(m_pDocument.get(), m_pSplitter);
    m_pPictureView = new CQuilView(m_pDocument.get(), m_pSplitter);
    if (!m_pTreeView || !m_pPictureView) {
        delete m_pSplitter;
        m_pSplitter = nullptr;
        return false;
    }
    m_pTreeView->resize(kInitialViewSide, kInitialViewSide);
    m_pPictureView->resize(kInitialViewSide, kInitialViewSide);
    m_pSplitter->addWidget(m_pTreeView);
    m_pSplitter->addWidget(m_pPictureView);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setSizes({(m_mainFrame.ThumbSize() + 2) * std::max(0, m_mainFrame.MaxLevel()),
                           TruncTenPercentMore(unsigned(m_mainFrame.DisplayWidth()))});
    // Only a drag of the handle moves the splitter: what the person sets is kept.
    connect(m_pSplitter, &QSplitter::splitterMoved, this, [this] { m_nUserTreeWidth = m_pSplitter->sizes().value(0); });
    m_bSplitterCreated = true;
    m_pActiveView = m_pPictureView;
    return true;
}

void CChildFrame::InitialUpdateFrame()
{
    if (m_pTreeView)
        static_cast<CDocView*>(m_pTreeView)->OnInitialUpdate();
    if (m_pPictureView)
        m_pPictureView->OnInitialUpdate();
    if (m_pPictureView)
        m_pPictureView->setFocus();
    FitColumns();
}

CCmdTarget* CChildFrame::ActiveViewTarget() const { return dynamic_cast<CCmdTarget*>(m_pActiveView); }

void CChildFrame::SetActiveView(CDocView* view)
{
    m_pActiveView = view;
    if (auto* widget = dynamic_cast<QWidget*>(view))
        widget->setFocus();
}

void CChildFrame::OnFocusChanged(QWidget* now)
{
    for (QWidget* w = now; w; w = w->parentWidget()) {
        if (w == static_cast<QWidget*>(m_pPictureView)) {
            m_pActiveView = m_pPictureView;
            return;
        }
        if (w == static_cast<QWidget*>(m_pTreeView)) {
            m_pActiveView = m_pTreeView;
            return;
        }
        if (w == this)
            return;
    }
}

QSize CChildFrame::InitialFrameSize() const
{
    const QStyle* s = style();
    return ChildFrameInitialSize(s->pixelMetric(QStyle::PM_ScrollBarExtent), s->pixelMetric(QStyle::PM_TitleBarHeight),
                                 m_mainFrame.ThumbSize(), m_mainFrame.MaxLevel(),
                                 unsigned(m_mainFrame.DisplayWidth()), unsigned(m_mainFrame.DisplayHeight()));
}

void CChildFrame::CloseWithoutAsking()
{
    m_bCloseWithoutAsking = true;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bCloseWithoutAsking && !m_pDocument->SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QWidget* window = parentWidget() ? parentWidget() : this;
    if (!window->isMinimized())
        FitColumns();
}

void CChildFrame::FitColumns()
{
    if (!m_bSplitterCreated || !m_pTreeView || m_pTreeView->topLevelItemCount() == 0)
        return;
    ColumnInputs in;
    in.width = width() - m_pSplitter->handleWidth();
    in.height = height();
    in.thumbSize = m_mainFrame.ThumbSize();
    in.labelExtent = m_pTreeView->VisibleLabelExtent();
    in.labelNeed = m_pTreeView->LabelColumnWidth();
    in.displayWidth = unsigned(m_mainFrame.DisplayWidth());
    in.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    in.userTree = m_nUserTreeWidth;
    const SplitterColumns columns = ChildFrameColumns(in);
    m_pSplitter->setSizes({columns.tree, std::max(0, columns.picture)});
}

void CChildFrame::UpdateTitle()
{
    setWindowTitle(m_pDocument->GetTitle() + QStringLiteral("[*]"));
    setWindowModified(m_pDocument->IsModified());
    if (QWidget* sub = parentWidget()) {
        sub->setWindowTitle(windowTitle());
        sub->setWindowModified(m_pDocument->IsModified());
    }
}

bool CChildFrame::OnCommand(int id)
{
    switch (id) {
    case ID_BACKGROUND_BLACK:
    case ID_BACKGROUND_DARK_GRAY:
    case ID_BACKGROUND_GRAY:
    case ID_BACKGROUND_LIGHT_GRAY:
    case ID_BACKGROUND_WHITE: {
        const ColorRef colour = CMainFrame::BackgroundCommandColour(id);
        m_mainFrame.SetBackgroundColour(colour);
        m_pPictureView->SetBackgroundColour(colour);
        return true;
    }
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        // Two panes: next and previous both go to the other one.
        SetActiveView(m_pActiveView == m_pPictureView ? static_cast<CDocView*>(m_pTreeView)
                                                      : static_cast<CDocView*>(m_pPictureView));
        return true;
    case ID_WINDOW_SPLIT:
        FitColumns();
        if (m_pSplitter->handle(1))
            m_pSplitter->handle(1)->setFocus();
        return true;
    case ID_FILE_CLOSE:
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        return true;
    case ID_SAVE_BITMAP:
    case ID_SAVE_CUSTOM_BITMAP:
    case ID_CUSTOM_COPY:
        // Commands of the picture view reach it also while the tree has the focus.
        return m_pPictureView->OnCommand(id);
    default:
        return false;
    }
}

bool CChildFrame::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.m_nID) {
    case ID_BACKGROUND_BLACK:
    case ID_BACKGROUND_DARK_GRAY:
    case ID_BACKGROUND_GRAY:
    case ID_BACKGROUND_LIGHT_GRAY:
    case ID_BACKGROUND_WHITE:
        ui.Enable(m_pPictureView != nullptr);
        ui.SetCheck(m_pPictureView && m_pPictureView->m_crBackground == CMainFrame::BackgroundCommandColour(ui.m_nID));
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
    case ID_WINDOW_SPLIT:
    case ID_FILE_CLOSE:
        ui.Enable();
        return true;
    case ID_SAVE_BITMAP:
    case ID_SAVE_CUSTOM_BITMAP:
    case ID_CUSTOM_COPY:
        return m_pPictureView->OnUpdateCommand(ui);
    default:
        return false;
    }
}
