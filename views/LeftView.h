#pragma once
// CLeftView is the left pane of a document window: the document's expression
// as a tree, one item per node with a rendered thumbnail of its branch, and
// the editing surface of the expression (label edits, "id" insertion, branch
// drags, "As new Image", Undo). It rebuilds itself from the document on every
// full update; every edit changes the items first and then asks the document
// to take the tree back (CQuilDoc::ExpressionFromTree).

#include "render/Picture.h"
#include "shell/CmdTarget.h"
#include "shell/DocView.h"

#include <QAbstractItemDelegate>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <cstdint>
#include <memory>
#include <vector>

class CCalcBitmap;
class CQuilExpression;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QStyleOptionViewItem;
class QtNotifyTarget;
class CShellServices;
class CUndoHistory;
struct JobNotice;

// Background of the tree with and without the keyboard focus.
inline constexpr int kTreeFocusGrey = 207;
// Drags: scroll margin at the top and bottom edge, first hover delay and
// repeat delay of the scroll-and-expand timer.
constexpr int kDragScrollMargin = 10;
constexpr int kDragHoverDelayMs = 500;
constexpr int kDragRepeatDelayMs = 200;
// Printing: logical page size the tree is laid out on, and the offset of the
// drawing from the printable area's corner, device pixels.
constexpr int kPrintPageWidth = 1000;
constexpr int kPrintPageHeight = 1400;
constexpr int kPrintOffsetX = 100;
constexpr int kPrintOffsetY = 200;

class CLeftView : public QTreeWidget, public CDocView, public CCmdTarget {
    Q_OBJECT
public:
    CLeftView(CQuilDoc* doc, QWidget* parent = nullptr);
    ~CLeftView() override;

    // CDocView -------------------------------------------------------------------
    void OnInitialUpdate() override;
    void OnUpdate(CDocView* sender, int hint, std::uintptr_t arg) override;

    // Commands (active view first in the route) ----------------------------------
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // Thumbnails -----------------------------------------------------------------
    int ThumbSize() const { return m_nThumbSize; }
    // Takes a new size without rebuilding (the tree dialog's first step).
    void SetThumbSize(int size);
    // The indentation asked of the tree: the thumbnail size. The control
    // itself never goes below the style's minimum.
    int RequestedIndentation() const { return m_nRequestedIndent; }
    bool IsThumbnailJobRunning() const;
    // The thumbnails of the last finished job, pre-order; empty while none is shown.
    const std::vector<Picture>& Thumbnails() const;
    bool ThumbnailsShown() const { return m_bThumbsAttached; }
    // The thumbnail drawn beside item (by its image index); null while none is shown.
    QIcon ThumbnailOf(const QTreeWidgetItem* item) const;

    // Label extent -----------------------------------------------------------------
    // The bounding rectangle of the labels of the visible items (the root and
    // everything below expanded items), in the tree's unscrolled coordinates,
    // with room for the thumbnails whether or not they have arrived. Linear in
    // the number of visible items.
    QRect VisibleLabelRect() const;
    QSize VisibleLabelExtent() const { return VisibleLabelRect().size(); }
    // The width of a tree pane that shows the widest visible label whole.
    int LabelColumnWidth() const;

    // Editing ------------------------------------------------------------------------
    QTreeWidgetItem* ContextItem() const { return m_pContextItem; }
    void SetContextItem(QTreeWidgetItem* item) { m_pContextItem = item; }
    // The document's undo history, which the tree's edits fill.
    CUndoHistory& UndoHistory();
    void OnInsertNode();
    void OnAsNewImage();
    void OnEditNode();
    void OnUndo();
    // Takes back the last Undo (while no new change came between).
    void OnRedo();
    // "Copy Expression": the ".quil" text of the branch the tree's menu was
    // opened on, else of the selected item, else of the whole tree, as text.
    void OnCopyExpression();
    void OnExpandFully();
    void OnCollapseFully();
    // Drops dragged onto target by the drop rules (what releasing the mouse does).
    void DropBranch(QTreeWidgetItem* dragged, QTreeWidgetItem* target);
    bool IsDragging() const { return m_bDragging; }
    QTreeWidgetItem* DropTarget() const { return m_pDropTarget; }
    // The label editor while a label is edited, else nullptr.
    QLineEdit* LabelEditor() const;

    // Copy, paste, print -------------------------------------------------------------
    void OnEditCopy();
    void OnEditPaste();
    // The whole tree (visible items) as Copy puts it on the clipboard.
    QImage TreePicture();
    // Columns and rows of print pages for the whole tree.
    QSize PrintPageGrid();
    void OnFilePrint();
    void OnFilePrintPreview();
    // Draws page (from 1) of the tree on the printer's painter.
    void PrintPage(QPainter& painter, QPrinter& printer, int page);
    // Prints the printer's page range (all pages when none is set).
    void PrintTree(QPrinter& printer);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected slots:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    // Rebuild and thumbnails (LeftView.cpp)
    void StopThumbnailJob();
    void Rebuild(int hint, std::uintptr_t arg);
    void StartThumbnailJob();
    void OnThumbnailsDone(const JobNotice& notice, quint64 serial);
    CShellServices& Shell() const;
    void AttachThumbnails();
    void DetachThumbnails();
    void ApplyIndentation();
    // The option of an item's row: room for a thumbnail of the current size,
    // and the thumbnail itself once the job's list is attached.
    void DecorateOption(QStyleOptionViewItem& option, const QModelIndex& index) const;
    QIcon ThumbnailAt(int image) const;
    // The column as wide as the widest visible label, so that the tree
    // scrolls sideways to every label; coalesced to once per event round.
    void ScheduleColumnWidth();
    void UpdateColumnWidth();
    void SetFocusColour(bool focused);
    void ShowContextMenu(const QPoint& globalPos, QTreeWidgetItem* item);

    friend class LabelDelegate;

    // Editing (LeftViewEdit.cpp)
    void InstallLabelDelegate();
    void BeginLabelEdit(QTreeWidgetItem* item);
    void FinishLabelEdit(QPersistentModelIndex index, QString text);
    std::unique_ptr<CQuilExpression> SnapshotTree();
    // Hands the edited tree to the document; refreshes the "PIC" indicator.
    bool ApplyTreeToDocument();
    void RefreshPicIndicator();
    bool IsTreeAcceptable();
    void ShowNotAccepted();

    // Dragging (LeftViewDrag.cpp)
    void BeginDrag(QTreeWidgetItem* item, const QPoint& pos);
    void MoveDrag(const QPoint& pos);
    void EndDrag(const QPoint& pos);
    void CancelDrag();
    void OnDragTimer();
    void SetDropTarget(QTreeWidgetItem* item);

    // Copy and print (TreePicture.cpp)
    QSize TreePictureSize(int thumbHeightDivisor);
    void RenderWholeTree(QPainter& painter, const QSize& size);

    bool m_bInitialised = false;
    int m_nThumbSize;
    int m_nRequestedIndent = 0;

    // Thumbnail job: the job, the target and list it writes, the target that
    // brings its end. The view touches target and list only after the end.
    std::shared_ptr<CCalcBitmap> m_pJob;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    quint64 m_nJobSerial = 0;
    std::shared_ptr<Picture> m_pThumbPicture;
    // Device pixels per thumbnail pixel shown: thumbnails are computed at
    // the thumbnail size times the screen's ratio and shown pixel for pixel.
    double m_dThumbRatio = 1.0;
    bool m_bRatioCheckQueued = false;
    std::shared_ptr<std::vector<Picture>> m_pThumbList;
    size_t m_nOldImageCount = 0;
    bool m_bThumbsAttached = false;
    // Icons of the attached list, made when a row is first drawn.
    mutable std::vector<QIcon> m_thumbIcons;
    QTimer m_columnTimer;

    QTreeWidgetItem* m_pContextItem = nullptr;
    // The item whose menu is open (null once it has closed).
    QPointer<QMenu> m_pItemMenu;

    // Label editing
    std::unique_ptr<CQuilExpression> m_pPendingSnapshot;
    QString m_strSavedLabel;
    QPointer<QLineEdit> m_pLabelEditor;
    QPointer<QWidget> m_pCommittingEditor;
    QString m_strCommittedText;
    QPersistentModelIndex m_editIndex;

    // Dragging
    QPoint m_pressPos;
    QTreeWidgetItem* m_pPressItem = nullptr;
    bool m_bDragging = false;
    QTreeWidgetItem* m_pDragItem = nullptr;
    QTreeWidgetItem* m_pDropTarget = nullptr;
    QTreeWidgetItem* m_pSelectionBeforeDrag = nullptr;
    QLabel* m_pDragImage = nullptr;
    QPoint m_dragGrabOffset;
    QPoint m_lastDragPos;
    QTimer m_dragTimer;
};
