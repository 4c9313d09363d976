#pragma once
// QtJobNotifier carries a calculation job's notifications from its worker
// thread to the owning window as posted CalcProgressEvents. The window holds
// a QtNotifyTarget, shared by the notifiers of all the jobs it starts, and
// detaches it in its destructor: a notification after that finds no owner and
// beeps on the user-interface thread, touching nothing of the window that has
// gone. A job the window has replaced still reaches it; its serial tells the
// window to ignore it.

#include "render/ThreadJob.h"

#include <QtGlobal>

#include <memory>
#include <mutex>

class QEvent;
class QObject;

class QtNotifyTarget {
public:
    explicit QtNotifyTarget(QObject* owner) : m_pOwner(owner) {}
    // Posts the event to the owner; false (and the event freed) once detached.
    bool Post(QEvent* event);
    // Called on the owner's thread before the owner goes.
    void Detach();

private:
    std::mutex m_mutex;
    QObject* m_pOwner;  // guarded by m_mutex; nullptr once detached
};

class QtJobNotifier : public JobNotifier {
public:
    // A notifier with a target of its own.
    QtJobNotifier(QObject* owner, quint64 serial);
    // A notifier that shares the window's target.
    QtJobNotifier(std::shared_ptr<QtNotifyTarget> target, quint64 serial);

    bool Post(unsigned message, long wParam, long lParam) override;
    void Beep() override;
    // Detaches the target: no notification reaches the owner any more.
    void Detach();
    quint64 Serial() const { return m_nSerial; }

private:
    std::shared_ptr<QtNotifyTarget> m_pTarget;
    const quint64 m_nSerial;
};

// Beeps on the user-interface thread; callable from any thread.
void BeepFromAnyThread();
// How many beeps were asked for since the program started (for tests).
int BeepsRequested();
