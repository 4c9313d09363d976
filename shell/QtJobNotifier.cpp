#include "QtJobNotifier.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>

QtNotifyTarget::QtNotifyTarget(QObject* receiver, JobNoticeHandler handler)
    : m_pReceiver(receiver), m_handler(std::move(handler))
{
}

bool QtNotifyTarget::Post(const JobNotice& notice, quint64 serial)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pReceiver)
        return false;
    // The lock keeps the receiver from going between the check and the
    // queueing (its destructor detaches first). Qt drops a queued call whose
    // receiver has been destroyed, so the handler never meets a dead window.
    QObject* receiver = m_pReceiver;
    QMetaObject::invokeMethod(
        receiver,
        [receiver, handler = m_handler, notice, serial] {
            Q_ASSERT(QThread::currentThread() == receiver->thread());
            handler(notice, serial);
        },
        Qt::QueuedConnection);
    return true;
}

void QtNotifyTarget::Detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pReceiver = nullptr;
}

QtJobNotifier::QtJobNotifier(std::shared_ptr<QtNotifyTarget> target, quint64 serial)
    : m_pTarget(std::move(target)), m_nSerial(serial)
{
}

bool QtJobNotifier::Post(const JobNotice& notice) { return m_pTarget->Post(notice, m_nSerial); }

void QtJobNotifier::Beep() { BeepFromAnyThread(); }

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
