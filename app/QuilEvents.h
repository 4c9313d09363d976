#pragma once
// The posted messages between jobs, documents and views, as Qt events.

#include "render/ThreadJob.h"

#include <QEvent>

// A job's progress (WM_CALC_PROGRESS): wParam > 0 columns finished, 0 finished, -1 aborted.
inline const QEvent::Type kCalcProgressEvent = QEvent::Type(QEvent::User + WM_CALC_PROGRESS);
// The document's request to recalculate (WM_REFRESH_VIEW).
inline const QEvent::Type kRefreshViewEvent = QEvent::Type(QEvent::User + WM_REFRESH_VIEW);

class CalcProgressEvent : public QEvent {
public:
    CalcProgressEvent(unsigned message, long wParam, long lParam, quint64 jobSerial)
        : QEvent(kCalcProgressEvent), m_nMessage(message), m_wParam(wParam), m_lParam(lParam), m_nJobSerial(jobSerial)
    {
    }
    unsigned m_nMessage;
    long m_wParam;
    long m_lParam;
    // Which start of the owner's job posted it; an owner ignores a job it has replaced.
    quint64 m_nJobSerial;
};
