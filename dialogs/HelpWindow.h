#pragma once
// CHelpWindow shows the program's own help pages (HTML in the resources) in a
// browser window with contents, back and forward. One window serves the
// whole program.

#include <QMainWindow>

class QTextBrowser;
class QWidget;

class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens (or raises) the help window at a topic page, "" for the contents.
    static CHelpWindow* ShowTopic(QWidget* owner, const QString& topic);
    // The page that describes where a widget belongs ("" for the contents).
    static QString TopicForWidget(const QWidget* widget);
    QString CurrentPage() const;
    // Closes the help window if it is open (the program is ending).
    static void CloseHelp();

private:
    explicit CHelpWindow(QWidget* owner);
    void Open(const QString& topic);
    QTextBrowser* m_pBrowser;
};
