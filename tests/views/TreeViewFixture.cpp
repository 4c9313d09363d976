#include "TreeViewFixture.h"

#include "shell/DisplaySettings.h"
#include "resources/AppStrings.h"

#include <QCoreApplication>
#include <QTest>

void TreeViewTest::SetUp()
{
    m_store.WriteProfileInt(kSectionMisc, kValueWelcome, 0);
    m_previousHook = SetMessageBoxHook([this](const MessageBoxRequest& request) {
        m_messages.push_back(request.text.toStdString());
        return QMessageBox::Ok;
    });
}

void TreeViewTest::TearDown()
{
    m_pApp.reset();
    SetMessageBoxHook(m_previousHook);
}

void TreeViewTest::Start()
{
    m_pApp = std::make_unique<CQuilApp>(&m_store, &m_random);
    ASSERT_TRUE(m_pApp->InitInstance({}));
    ASSERT_TRUE(Doc());
    ProcessEvents();
}

CLeftView* TreeViewTest::Tree(CQuilDoc* doc)
{
    doc = doc ? doc : Doc();
    return doc ? dynamic_cast<CLeftView*>(doc->GetFirstView()) : nullptr;
}

QTreeWidgetItem* TreeViewTest::Root(CLeftView* tree)
{
    tree = tree ? tree : Tree();
    return tree ? tree->topLevelItem(0) : nullptr;
}

QTreeWidgetItem* TreeViewTest::At(std::initializer_list<int> path, CLeftView* tree)
{
    QTreeWidgetItem* item = Root(tree);
    for (int i : path)
        item = item ? item->child(i) : nullptr;
    return item;
}

std::string TreeViewTest::DocText(CQuilDoc* doc)
{
    doc = doc ? doc : Doc();
    return ExpressionText(*doc->m_pExpression);
}

void TreeViewTest::SetExpression(const std::string& text, CQuilDoc* doc)
{
    doc = doc ? doc : Doc();
    doc->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    std::unique_ptr<CQuilExpression> expression = ParseExpression(text, &Frame());
    ASSERT_TRUE(expression) << text;
    doc->m_pExpression = std::move(expression);
    doc->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
}

void TreeViewTest::EditLabel(QTreeWidgetItem* item, const QString& text, CLeftView* tree)
{
    tree = tree ? tree : Tree();
    ASSERT_TRUE(item);
    tree->setCurrentItem(item);
    tree->editItem(item);
    QLineEdit* editor = tree->LabelEditor();
    ASSERT_TRUE(editor);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    ProcessEvents();  // the edit is finished once the editor is gone
}

bool TreeViewTest::WaitForThumbnails(CLeftView* tree)
{
    tree = tree ? tree : Tree();
    return QTest::qWaitFor([tree] { return tree->ThumbnailsShown(); }, 60000);
}

void TreeViewTest::ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
