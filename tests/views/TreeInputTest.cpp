// The tree view and what reaches it from outside the items: the menu bar
// during a label edit, the context-menu key, the tree's picture for printing,
// and the labels' extent that sizes the column.

#include "TreeViewFixture.h"

#include "app/MainFrame.h"
#include "resources/ResourceIds.h"
#include "views/TreeItems.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHoverEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

QStringList MenuTexts(const QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

QAction* FindAction(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

}  // namespace

class TreeInputTest : public TreeViewTest {
protected:
    // The main window shown and active, as the person sees it; a label of
    // the tree in its editor, with the clipboard holding text.
    QLineEdit* StartEditing()
    {
        Start();
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        CLeftView* tree = Tree();
        tree->setFocus();
        tree->setCurrentItem(At({0}));
        tree->editItem(At({0}));
        QLineEdit* editor = tree->LabelEditor();
        if (editor) {
            editor->setFocus();
            editor->selectAll();
        }
        QApplication::clipboard()->setText(QStringLiteral("sin"));
        return editor;
    }
    // The offscreen platform makes a menu the active window as it shows and
    // leaves it so after it closes, where a window manager gives the main
    // window its activation back and the menu bar the focus to the editor.
    void BackToTheEditor(QLineEdit* editor)
    {
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        editor->setFocus();
    }
    QMenu* EditMenu()
    {
        for (QMenu* menu : Frame().MenuBarMenus())
            if (menu->title() == QStringLiteral("&Edit"))
                return menu;
        return nullptr;
    }
};

TEST_F(TreeInputTest, PasteFromTheEditMenuByKeyboardGoesIntoTheLabelAndTheEditGoesOn)
{
    QLineEdit* editor = StartEditing();
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_E, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu, EditMenu());
    // Opening the menu did not end the edit.
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    EXPECT_EQ(DocText(), "rgb[X[],Y[],BW[-1.000000]]");
    QAction* paste = FindAction(menu, QStringLiteral("&Paste"));
    ASSERT_TRUE(paste);
    EXPECT_TRUE(paste->isEnabled());
    QTest::keyClick(menu, Qt::Key_P);
    ProcessEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    // The clipboard's text replaced the selected label.
    EXPECT_EQ(editor->text(), QStringLiteral("sin"));
    EXPECT_TRUE(m_messages.empty());
    BackToTheEditor(editor);
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    // Confirming ends it: sin of the first argument's black constant.
    QTest::keyClick(editor, Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(DocText(), "rgb[sin[RGB[0.000000,0.000000,0.000000]],Y[],BW[-1.000000]]");
}

TEST_F(TreeInputTest, PasteFromTheEditMenuByMouseGoesIntoTheLabelAndTheEditGoesOn)
{
    QLineEdit* editor = StartEditing();
    ASSERT_TRUE(editor);
    QMenuBar* bar = Frame().menuBar();
    QMenu* edit = EditMenu();
    ASSERT_TRUE(edit);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(edit->menuAction()).center());
    ASSERT_EQ(QApplication::activePopupWidget(), edit);
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    QAction* paste = FindAction(edit, QStringLiteral("&Paste"));
    ASSERT_TRUE(paste);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->actionGeometry(paste).center());
    ProcessEvents();
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    EXPECT_EQ(editor->text(), QStringLiteral("sin"));
    BackToTheEditor(editor);
    ASSERT_EQ(Tree()->LabelEditor(), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    ProcessEvents();
    EXPECT_EQ(Tree()->LabelEditor(), nullptr);
    EXPECT_EQ(DocText(), "rgb[X[],Y[],BW[-1.000000]]");
}

TEST_F(TreeInputTest, TheContextMenuKeyOpensTheMenuAtTheMouse)
{
    Start();
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    tree->setCurrentItem(Root());
    // The mouse rests on the second child: its menu, although the root is current.
    QCursor::setPos(tree->viewport()->mapToGlobal(tree->visualItemRect(At({1})).center()));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), tree->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(tree, &key);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(tree->ContextItem(), At({1}));
    EXPECT_EQ(MenuTexts(menu).value(0), QStringLiteral("&As new Image"));
    EXPECT_EQ(menu->pos(), QCursor::pos());
    menu->close();
    ProcessEvents();

    // The mouse below the items: the tree's own menu.
    QCursor::setPos(tree->viewport()->mapToGlobal(QPoint(5, tree->viewport()->height() - 5)));
    QApplication::sendEvent(tree, &key);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(MenuTexts(menu), (QStringList{"&Copy", "&Settings..."}));
    menu->close();
    // Outside the tree altogether: the same.
    QCursor::setPos(tree->mapToGlobal(QPoint(-50, -50)));
    QApplication::sendEvent(tree, &key);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(MenuTexts(menu), (QStringList{"&Copy", "&Settings..."}));
    menu->close();
}

TEST_F(TreeInputTest, TheTreesPictureShowsItsItemsOnly)
{
    Start();
    ASSERT_TRUE(WaitForThumbnails());
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    tree->setCurrentItem(nullptr);
    // Whatever the style, an item under the mouse shows in red.
    tree->setStyleSheet(QStringLiteral("QTreeView::item:hover { background: red; }"));
    const QImage plain = tree->TreePicture();
    // The mouse over an item: the view shows it highlighted, the picture does not.
    const QPoint over = tree->visualItemRect(At({1})).center();
    QHoverEvent hover(QEvent::HoverMove, over, tree->viewport()->mapToGlobal(over), QPointF(-1, -1));
    QApplication::sendEvent(tree->viewport(), &hover);
    QImage shown(tree->viewport()->size(), QImage::Format_RGB32);
    tree->viewport()->render(&shown);
    EXPECT_EQ(QColor(shown.pixel(over)), QColor(Qt::red));
    EXPECT_EQ(tree->TreePicture(), plain);
    // No frame around it: the corners are the tree's background.
    const QColor base = tree->palette().color(QPalette::Base);
    EXPECT_EQ(QColor(plain.pixel(0, 0)), base);
    EXPECT_EQ(QColor(plain.pixel(plain.width() - 1, plain.height() - 1)), base);
}

TEST_F(TreeInputTest, TheLabelExtentIsWhereTheViewDrawsTheLabels)
{
    Start();
    SetExpression("plus[sin[SPIRC[0.100000,0.200000,0.300000]],Y[]]");
    ASSERT_TRUE(WaitForThumbnails());
    CLeftView* tree = Tree();
    tree->resize(600, 400);
    ProcessEvents();
    const QRect labels = tree->VisibleLabelRect();
    // The widest label is the deepest one; it ends where the view's row ends its text.
    const QRect deepest = tree->visualItemRect(At({0, 0}));
    QStyleOptionViewItem option;
    option.initFrom(tree);
    const QAbstractItemModel* model = tree->model();
    const QModelIndex deepestIndex = model->index(0, 0, model->index(0, 0, model->index(0, 0)));
    const QSize hint = tree->itemDelegate()->sizeHint(option, deepestIndex);
    EXPECT_EQ(labels.right() + 1, deepest.x() + hint.width());
    EXPECT_EQ(labels.height(), 4 * deepest.height());
    EXPECT_GE(deepest.height(), tree->ThumbSize());
    EXPECT_GE(tree->columnWidth(0), labels.right() + 1);
    // Folded, the extent is the root's alone.
    Root()->setExpanded(false);
    EXPECT_EQ(tree->VisibleLabelRect().height(), deepest.height());
    EXPECT_LT(tree->VisibleLabelRect().width(), labels.width());
}
