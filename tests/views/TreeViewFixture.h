#pragma once
// A whole application (main window, documents, both views) on the offscreen
// platform with an in-memory settings store; message boxes are answered and
// recorded.

#include "TreeTestSupport.h"

#include "app/MainFrame.h"
#include "shell/MessageBox.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"
#include "views/LeftView.h"

#include <QLineEdit>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the application (the logo document); settings written before count.
    void Start();

    CMainFrame& Frame() { return *m_pApp->GetMainFrame(); }
    CQuilDoc* Doc() { return Frame().ActiveDocument(); }
    CLeftView* Tree(CQuilDoc* doc = nullptr);
    QTreeWidgetItem* Root(CLeftView* tree = nullptr);
    // The item at a path of child indices below the root.
    QTreeWidgetItem* At(std::initializer_list<int> path, CLeftView* tree = nullptr);
    std::string DocText(CQuilDoc* doc = nullptr);
    // Replaces the document's expression by a parsed one, as Undo does.
    void SetExpression(const std::string& text, CQuilDoc* doc = nullptr);
    // Opens the label editor on item, types text and confirms with Return.
    void EditLabel(QTreeWidgetItem* item, const QString& text, CLeftView* tree = nullptr);
    // Lets the thumbnail job of tree finish and its end arrive.
    bool WaitForThumbnails(CLeftView* tree = nullptr);
    void ProcessEvents();

    MemorySettingsStore m_store;
    LcgRandomSource m_random{12345};
    std::unique_ptr<CQuilApp> m_pApp;
    std::vector<std::string> m_messages;
    MessageBoxHook m_previousHook;
};
