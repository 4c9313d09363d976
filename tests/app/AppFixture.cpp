#include "AppFixture.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "views/QuilView.h"

#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>

std::string TextOf(const CQuilExpression& e)
{
    StringArchive ar;
    const_cast<CQuilExpression&>(e).WriteExpression(ar);
    return ar.Output();
}

namespace {
// How long a test waits for a picture before it gives up (a hang guard, not a measurement).
constexpr int kPictureWaitRounds = 3000;
constexpr int kPictureWaitSliceMs = 5;
}  // namespace

void AppFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
        m_boxes.push_back(request);
        if (!m_answers.empty()) {
            const QMessageBox::StandardButton answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return (request.buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    });
    SetFileDialogHook([this](FileDialogRequest& request) {
        m_fileDialogs.push_back(request);
        if (m_fileAnswers.empty())
            return QString();
        const QString answer = m_fileAnswers.front();
        m_fileAnswers.pop_front();
        return answer;
    });
}

void AppFixture::TearDown()
{
    Stop();
    SetMessageBoxHook({});
    SetFileDialogHook({});
}

void AppFixture::Start(const QStringList& arguments)
{
    m_pApp = std::make_unique<CQuilApp>(&m_store, &m_random);
    ASSERT_TRUE(m_pApp->InitInstance(arguments));
    ProcessEvents();
}

void AppFixture::Stop()
{
    m_pApp.reset();
    ProcessEvents();
}

CChildFrame* AppFixture::FrameOf(CQuilDoc* doc)
{
    for (QMdiSubWindow* sub : App().GetMainFrame()->MdiArea()->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()); frame && frame->GetDocument() == doc)
            return frame;
    return nullptr;
}

CQuilView* AppFixture::PictureViewOf(CQuilDoc* doc)
{
    CChildFrame* frame = FrameOf(doc);
    return frame ? frame->PictureView() : nullptr;
}

bool AppFixture::WaitForPicture(CQuilDoc* doc)
{
    return WaitFor([doc] { return doc->PictureReady != 0; });
}

bool AppFixture::WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < kPictureWaitRounds; ++i) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        QThread::msleep(kPictureWaitSliceMs);
    }
    return false;
}

void AppFixture::ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        // Closed windows go by deferred deletion, which processEvents leaves alone.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QString AppFixture::WriteFile(const QString& name, const QByteArray& content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}
