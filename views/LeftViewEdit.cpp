// CLeftView: label editing, "id" insertion, Undo and "As new Image".

#include "LeftView.h"

#include "TreeEdit.h"
#include "TreeItems.h"

#include "document/LabelTree.h"
#include "engine/NodeLabels.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "resources/AppStrings.h"
#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QStyledItemDelegate>

// Hands the view every label editor it opens, limited to what is read back.
class LabelDelegate : public QStyledItemDelegate {
public:
    explicit LabelDelegate(CLeftView* view) : QStyledItemDelegate(view), m_pView(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& /*index*/) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setMaxLength(kMaxLabelChars);
        m_pView->m_pLabelEditor = editor;
        return editor;
    }

    // The editor gets the label once: a later change of the item (its
    // thumbnail arriving) must not overwrite what the user is typing.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (editor->property(kFilledProperty).toBool())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
        editor->setProperty(kFilledProperty, true);
    }

protected:
    // Every row has room for a thumbnail, drawn from the view's list.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        m_pView->DecorateOption(*option, index);
    }

    // Only confirming or cancelling ends an edit: the focus going to the menu
    // bar (Alt and a menu's letter) or to an opened menu leaves the editor
    // open, so that Edit > Paste reaches it; the focus comes back to it when
    // the menu closes.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // The editor does not see the menu bar taking the keyboard: it
            // would drop its selection, which a paste is to replace.
            if (reason == Qt::MenuBarFocusReason)
                return true;
            if (reason == Qt::PopupFocusReason || QApplication::activePopupWidget() ||
                qobject_cast<QMenu*>(QApplication::activeWindow()))
                return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static constexpr const char* kFilledProperty = "quilLabelFilled";
    CLeftView* m_pView;
};

void CLeftView::InstallLabelDelegate() { setItemDelegate(new LabelDelegate(this)); }

QLineEdit* CLeftView::LabelEditor() const
{
    return state() == QAbstractItemView::EditingState ? m_pLabelEditor.data() : nullptr;
}

// Label editing --------------------------------------------------------------------------

bool CLeftView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (m_bDragging)
        return false;
    const bool wasEditing = state() == QAbstractItemView::EditingState;
    const bool result = QTreeWidget::edit(index, trigger, event);
    // A click on the selected label only arms a timer here; the editor opens
    // when this is called again from the timer.
    if (result && !wasEditing && state() == QAbstractItemView::EditingState)
        BeginLabelEdit(itemFromIndex(index));
    return result;
}

void CLeftView::BeginLabelEdit(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_editIndex = QPersistentModelIndex(indexFromItem(item));
    m_strSavedLabel = item->text(0);
    // The tree as it stands, with the parameters as the labels show them.
    m_pPendingSnapshot = SnapshotTree();
}

void CLeftView::commitData(QWidget* editor)
{
    // The item keeps its label until the edit is finished below; the model is
    // never written by the delegate.
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        m_pCommittingEditor = editor;
        m_strCommittedText = line->text();
    }
}

void CLeftView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint /*hint*/)
{
    const bool committed = editor && m_pCommittingEditor == editor;
    m_pCommittingEditor = nullptr;
    const QPersistentModelIndex index = m_editIndex;
    const QString text = m_strCommittedText;
    // No hint: Tab must not open the next item's editor.
    QTreeWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (!committed)
        return;  // cancelled: the pending snapshot stays pending
    // Finishing may rebuild every item or open a message box; it runs once the
    // editor's own event handling is over.
    QMetaObject::invokeMethod(this, [this, index, text] { FinishLabelEdit(index, text); }, Qt::QueuedConnection);
}

void CLeftView::FinishLabelEdit(QPersistentModelIndex index, QString text)
{
    QTreeWidgetItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
    if (!item || !m_pDocument)
        return;
    if (text == m_strSavedLabel) {
        // Ended as it began: the document, its picture and the undo history stay as they are.
        m_pPendingSnapshot.reset();
        return;
    }
    item->setText(0, text);
    // A refused tree is found before the calculations are stopped, so that the
    // picture of an unchanged document goes on growing.
    if (!IsTreeAcceptable()) {
        ShowNotAccepted();
        m_pPendingSnapshot.reset();
        item->setText(0, m_strSavedLabel);
        setCurrentItem(item);
        editItem(item);
        if (QLineEdit* editor = LabelEditor()) {
            editor->setText(text);
            editor->selectAll();
        }
        return;
    }
    std::unique_ptr<CQuilExpression> snapshot = std::move(m_pPendingSnapshot);
    if (ApplyTreeToDocument())
        UndoHistory().Push(std::move(snapshot));
}

std::unique_ptr<CQuilExpression> CLeftView::SnapshotTree()
{
    if (!m_pDocument)
        return nullptr;
    auto snapshot = std::make_unique<CQuilExpression>(&m_pDocument->Host());
    if (!m_pDocument->ExpressionFromTree(TreeLabels(this), snapshot.get()))
        return nullptr;
    return snapshot;
}

bool CLeftView::IsTreeAcceptable()
{
    CQuilExpression scratch(m_pDocument ? &m_pDocument->Host() : nullptr);
    return BuildExpressionFromTree(this, scratch) != 0;
}

void CLeftView::ShowNotAccepted() { CQuilDoc::ShowNotAccepted(); }

bool CLeftView::ApplyTreeToDocument()
{
    m_pDocument->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    const bool accepted = m_pDocument->ExpressionFromTree(TreeLabels(this)) != 0;
    // Refused only when the tree checked above cannot be copied (pool
    // exhaustion, already reported): the document is unchanged, so the views
    // pick it up again rather than stay stopped.
    m_pDocument->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    RefreshPicIndicator();
    return accepted;
}

void CLeftView::RefreshPicIndicator()
{
    if (m_pDocument)
        m_pDocument->NotifyExpressionChanged();
}

void CLeftView::OnEditNode()
{
    if (!m_pContextItem)
        return;
    setCurrentItem(m_pContextItem);
    editItem(m_pContextItem);
}

// Structure ---------------------------------------------------------------------------------

void CLeftView::OnInsertNode()
{
    if (!m_pContextItem)
        return;
    if (std::unique_ptr<CQuilExpression> snapshot = SnapshotTree())
        UndoHistory().Push(std::move(snapshot));
    // "id" passes its argument through: the document and the picture stay as they are.
    m_pContextItem = InsertIdNode(this, m_pContextItem);
}

void CLeftView::OnUndo()
{
    if (!m_pDocument || m_pDocument->UndoHistory().IsEmpty())
        return;
    m_pDocument->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    // The items point into the expression given up here; the full update
    // replaces them before anything reads them again.
    m_pDocument->Undo();
    m_pDocument->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    RefreshPicIndicator();
}

void CLeftView::OnRedo()
{
    if (!m_pDocument || !m_pDocument->UndoHistory().CanRedo())
        return;
    m_pDocument->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    m_pDocument->Redo();
    m_pDocument->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    RefreshPicIndicator();
}

void CLeftView::OnCopyExpression()
{
    if (!m_pDocument)
        return;
    QTreeWidgetItem* item = m_pItemMenu ? m_pContextItem : nullptr;
    if (!item && currentItem() && currentItem()->isSelected())
        item = currentItem();
    // The labels are what the person sees, edits not yet rebuilt included.
    CQuilExpression branch(&m_pDocument->Host());
    std::string text;
    if (item && BuildExpressionFromItem(item, branch)) {
        StringArchive archive;
        if (branch.WriteExpression(archive))
            text = archive.Output();
    } else {
        text = m_pDocument->ExpressionText({});
    }
    if (!text.empty())
        QApplication::clipboard()->setText(QString::fromStdString(text));
}

void CLeftView::OnAsNewImage()
{
    if (!m_pContextItem || !m_pDocument)
        return;
    const ExprNode* branch = ItemNode(m_pContextItem);
    // Items made by editing carry no node until the next rebuild: their branch
    // is read from the labels instead, so the new picture is the one asked for.
    CQuilExpression fromLabels(&m_pDocument->Host());
    if (!branch && BuildExpressionFromItem(m_pContextItem, fromLabels))
        branch = fromLabels.GetRoot();
    m_pDocument->Shell().OpenBranchAsNewDocument(branch);
}

void CLeftView::DropBranch(QTreeWidgetItem* dragged, QTreeWidgetItem* target)
{
    if (!m_pDocument)
        return;
    switch (CheckDrop(dragged, target)) {
    case DropRule::Ignore:
        return;
    case DropRule::IntoOwnBranch:
        QuilMessageBox(this, QString::fromUtf8(kMsgDropOntoChild), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
        return;
    case DropRule::Move:
        break;
    }
    if (std::unique_ptr<CQuilExpression> snapshot = SnapshotTree())
        UndoHistory().Push(std::move(snapshot));
    MoveBranch(this, dragged, target);
    m_pContextItem = nullptr;
    m_pPressItem = nullptr;
    if (IsTreeAcceptable()) {
        ApplyTreeToDocument();
    } else {
        // The tree keeps the moved branch, the document its expression; the
        // next accepted edit, an Undo or a rebuild brings them together.
        ShowNotAccepted();
        RefreshPicIndicator();
    }
}
