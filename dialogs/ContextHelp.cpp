#include "ContextHelp.h"

#include "HelpWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QMainWindow>
#include <QWhatsThis>
#include <QWidget>

namespace {
// The standard buttons' help, wherever a dialog has no text of its own for them.
constexpr struct {
    QDialogButtonBox::StandardButton button;
    const char* text;
} kStandardButtonHelp[] = {
    {QDialogButtonBox::Ok, "Closes the dialog and keeps the values it shows."},
    {QDialogButtonBox::Cancel, "Closes the dialog and changes nothing."},
    {QDialogButtonBox::Close, "Closes the dialog."},
};

void GiveStandardButtonsHelp(QObject* object)
{
    auto* window = qobject_cast<QDialog*>(object);
    if (!window)
        return;
    for (QDialogButtonBox* box : window->findChildren<QDialogButtonBox*>())
        for (const auto& entry : kStandardButtonHelp)
            if (QPushButton* button = box->button(entry.button); button && button->whatsThis().isEmpty())
                button->setWhatsThis(QString::fromUtf8(entry.text));
}

// The main window routes F1 and Shift+F1 through its command table; every
// other window of the program (dialogs, the variations and help windows)
// gets them here.
class ContextHelpFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            GiveStandardButtonsHelp(object);
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->isAutoRepeat())
            return false;
        // The key reaches the focused control first; it is answered there, once.
        auto* widget = qobject_cast<QWidget*>(object);
        QWidget* window = widget ? widget->window() : nullptr;
        if (!window || (qobject_cast<QMainWindow*>(window) && !window->parentWidget()))
            return false;
        if (key->modifiers() == Qt::ShiftModifier) {
            QWhatsThis::enterWhatsThisMode();
            return true;
        }
        if (key->modifiers() != Qt::NoModifier)
            return false;
        const QString text = ContextHelpText(widget);
        if (!text.isEmpty())
            QWhatsThis::showText(widget->mapToGlobal(QPoint(widget->width() / 2, widget->height())), text, widget);
        else
            CHelpWindow::ShowTopic(window, CHelpWindow::TopicForWidget(widget));
        return true;
    }
};
}  // namespace

QString ContextHelpText(const QWidget* widget)
{
    for (const QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget())
        if (!w->whatsThis().isEmpty())
            return w->whatsThis();
    return QString();
}

void InstallContextHelp()
{
    static ContextHelpFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new ContextHelpFilter(qApp);
    qApp->installEventFilter(filter);
}
