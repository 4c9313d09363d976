#include "QtJobNotifier.h"

#include "QuilEvents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>

bool QtNotifyTarget::Post(QEvent* event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pOwner) {
        delete event;
        return false;
    }
    // postEvent is thread-safe; holding the lock keeps the owner from being
    // destroyed between the check and the post (its destructor detaches first).
    QCoreApplication::postEvent(m_pOwner, event);
    return true;
}

void QtNotifyTarget::Detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pOwner = nullptr;
}

QtJobNotifier::QtJobNotifier(QObject* owner, quint64 serial)
    : m_pTarget(std::make_shared<QtNotifyTarget>(owner)), m_nSerial(serial)
{
}

QtJobNotifier::QtJobNotifier(std::shared_ptr<QtNotifyTarget> target, quint64 serial)
    : m_pTarget(std::move(target)), m_nSerial(serial)
{
}

bool QtJobNotifier::Post(unsigned message, long wParam, long lParam)
{
    return m_pTarget->Post(new CalcProgressEvent(message, wParam, lParam, m_nSerial));
}

void QtJobNotifier::Beep() { BeepFromAnyThread(); }

void QtJobNotifier::Detach() { m_pTarget->Detach(); }

namespace {
std::atomic<int> g_nBeeps{0};
}

int BeepsRequested() { return g_nBeeps.load(); }

void BeepFromAnyThread()
{
    g_nBeeps.fetch_add(1);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
}
