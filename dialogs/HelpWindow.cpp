#include "HelpWindow.h"

#include "resources/AppStrings.h"

#include <QAction>
#include <QPointer>
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
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString name = QString::fromUtf8(w->metaObject()->className());
        if (name == QLatin1String("CLeftView"))
            return QStringLiteral("tree.html");
        if (name == QLatin1String("CQuilView"))
            return QStringLiteral("picture.html");
    }
    return QString();
}

void CHelpWindow::CloseHelp()
{
    if (g_helpWindow)
        g_helpWindow->close();
}
