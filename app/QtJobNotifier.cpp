#include "QtJobNotifier.h"

#include "QuilEvents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>

QtJobNotifier::QtJobNotifier(QObject* owner, quint64 serial) : m_pOwner(owner), m_nSerial(serial) {}

bool QtJobNotifier::Post(unsigned message, long wParam, long lParam)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pOwner)
        return false;
    // postEvent is thread-safe; holding the lock keeps the owner from being
    // destroyed between the check and the post (its destructor detaches first).
    QCoreApplication::postEvent(m_pOwner, new CalcProgressEvent(message, wParam, lParam, m_nSerial));
    return true;
}

void QtJobNotifier::Beep() { BeepFromAnyThread(); }

void QtJobNotifier::Detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pOwner = nullptr;
}

void BeepFromAnyThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
}
