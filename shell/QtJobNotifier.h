#pragma once
// Carries a calculation job's notices from its worker thread to the window
// that started it. The window holds one QtNotifyTarget with its handler; each
// job gets a QtJobNotifier that shares the target and carries the job's
// serial, so the window can ignore a job it has replaced. A notice arrives as
// a queued call on the user-interface thread, guarded by the window: a call
// that is still queued when the window goes is dropped with it. Once the
// window has detached the target (in its destructor), a job's notice finds
// no owner and the job beeps, touching nothing of the window that has gone.

#include "render/ThreadJob.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>

class QObject;

using JobNoticeHandler = std::function<void(const JobNotice& notice, quint64 serial)>;

class QtNotifyTarget {
public:
    // handler runs on receiver's thread, only while receiver lives.
    QtNotifyTarget(QObject* receiver, JobNoticeHandler handler);
    // Queues the notice for the receiver; false once detached. Any thread.
    bool Post(const JobNotice& notice, quint64 serial);
    // Called on the receiver's thread before the receiver goes.
    void Detach();

private:
    std::mutex m_mutex;
    QObject* m_pReceiver;  // guarded by m_mutex; nullptr once detached
    JobNoticeHandler m_handler;
};

class QtJobNotifier : public JobNotifier {
public:
    QtJobNotifier(std::shared_ptr<QtNotifyTarget> target, quint64 serial);

    bool Post(const JobNotice& notice) override;
    void Beep() override;
    quint64 Serial() const { return m_nSerial; }

private:
    std::shared_ptr<QtNotifyTarget> m_pTarget;
    const quint64 m_nSerial;
};

// Beeps on the user-interface thread; callable from any thread.
void BeepFromAnyThread();
// How many beeps were asked for since the program started (for tests).
int BeepsRequested();
