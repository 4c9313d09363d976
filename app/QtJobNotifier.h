#pragma once
// QtJobNotifier carries a calculation job's notifications from its worker
// thread to the owning window as posted CalcProgressEvents. The owner keeps a
// shared pointer and calls Detach in its destructor: a notification after that
// finds no owner and beeps on the user-interface thread, touching nothing of
// the window that has gone.
//
// Use one notifier per job start; its serial tells the owner which start an
// event comes from.

#include "render/ThreadJob.h"

#include <QtGlobal>

#include <memory>
#include <mutex>

class QObject;

class QtJobNotifier : public JobNotifier {
public:
    QtJobNotifier(QObject* owner, quint64 serial);

    bool Post(unsigned message, long wParam, long lParam) override;
    void Beep() override;
    // Called on the owner's thread before the owner goes.
    void Detach();
    quint64 Serial() const { return m_nSerial; }

private:
    std::mutex m_mutex;
    QObject* m_pOwner;  // guarded by m_mutex; nullptr once detached
    const quint64 m_nSerial;
};

// Beeps on the user-interface thread; callable from any thread.
void BeepFromAnyThread();
