#pragma once
// A started application over an in-memory settings store and a seeded random
// source, with every message box and file dialog answered by the test and
// recorded.

#include "shell/MessageBox.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQuilExpression;

// The expression as Quil writes it (no picture name).
std::string TextOf(const CQuilExpression& e);

class CChildFrame;
class CQuilApp;
class CQuilDoc;
class CQuilView;

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes and starts the application (no argument: the logo document).
    void Start(const QStringList& arguments = {});
    // Ends the application (documents closed, main frame destroyed).
    void Stop();

    CQuilApp& App() { return *m_pApp; }
    CChildFrame* FrameOf(CQuilDoc* doc);
    CQuilView* PictureViewOf(CQuilDoc* doc);
    // Processes events until the document's picture is ready; false if it never is.
    bool WaitForPicture(CQuilDoc* doc);
    // Processes events until done() holds; false if it never does.
    bool WaitFor(const std::function<bool()>& done);
    void ProcessEvents();
    QString WriteFile(const QString& name, const QByteArray& content);

    MemorySettingsStore m_store;
    LcgRandomSource m_random{12345};
    std::unique_ptr<CQuilApp> m_pApp;
    QTemporaryDir m_dir;

    // Every box shown, and the answers to give (default: OK, or No for questions).
    std::vector<MessageBoxRequest> m_boxes;
    std::deque<QMessageBox::StandardButton> m_answers;
    // Every file dialog shown, and the paths to answer with ("" is cancel).
    std::vector<FileDialogRequest> m_fileDialogs;
    std::deque<QString> m_fileAnswers;
};
