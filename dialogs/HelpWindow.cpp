#include "HelpWindow.h"

#include "resources/AppStrings.h"

#include <QAction>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>

namespace {
constexpr const char* kHelpRoot = "qrc:/help/";
constexpr const char* kContentsPage = "index.html";
QPointer<CHelpWindow> g_helpWindow;
}  // namespace

CHelpWindow::CHelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window)
{
    setWindowTitle(QString::fromUtf8(kHelpWindowTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenExternalLinks(true);
    m_pBrowser->setSearchPaths({QStringLiteral(":/help")});
    setCentralWidget(m_pBrowser);
    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    QAction* back = bar->addAction(QStringLiteral("Back"), m_pBrowser, &QTextBrowser::backward);
    QAction* forward = bar->addAction(QStringLiteral("Forward"), m_pBrowser, &QTextBrowser::forward);
    bar->addAction(QStringLiteral("Contents"), this, [this] { Open(QString()); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    resize(720, 560);
    // Escape closes the help as it closes a dialog.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

CHelpWindow* CHelpWindow::ShowTopic(QWidget* owner, const QString& topic)
{
    if (!g_helpWindow) {
        g_helpWindow = new CHelpWindow(owner);
        if (owner)
            g_helpWindow->move(owner->geometry().center() - g_helpWindow->rect().center());
    }
    g_helpWindow->Open(topic);
    g_helpWindow->show();
    g_helpWindow->raise();
    g_helpWindow->activateWindow();
    return g_helpWindow;
}

void CHelpWindow::Open(const QString& topic)
{
    const QString page = topic.isEmpty() ? QString::fromUtf8(kContentsPage) : topic;
    m_pBrowser->setSource(QUrl(QString::fromUtf8(kHelpRoot) + page));
}

QString CHelpWindow::CurrentPage() const { return m_pBrowser->source().fileName(); }

QString CHelpWindow::TopicForWidget(const QWidget* widget)
{
    // The windows and views with a page of their own.
    static const struct {
        const char* className;
        const char* page;
    } kPages[] = {
        {"CLeftView", "tree.html"},           {"CQuilView", "picture.html"},
        {"CVariationsWnd", "variations.html"}, {"CSetRandomDlg", "generation.html"},
        {"CBatchDlg", "batch.html"},           {"COverwriteDlg", "batch.html"},
        {"CClipDialog", "files.html"},         {"CCustomFileDialog", "files.html"},
        {"CCalcFeedbackDlg", "files.html"},    {"CSetDisplayDlg", "picture.html"},
        {"CTreeDlg", "tree.html"},            {"CAnimationWnd", "animation.html"},
    };
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const char* name = w->metaObject()->className();
        for (const auto& entry : kPages)
            if (qstrcmp(name, entry.className) == 0)
                return QString::fromUtf8(entry.page);
    }
    return QString();
}

void CHelpWindow::CloseHelp()
{
    if (g_helpWindow)
        g_helpWindow->close();
}
