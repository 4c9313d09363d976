#include "DeepStackThread.h"

#include <exception>
#include <memory>
#include <new>

namespace {
extern "C" void* DeepStackThreadMain(void* argument)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return nullptr;
}
}  // namespace

CDeepStackThread::~CDeepStackThread()
{
    if (!m_bJoinable)
        return;
    if (IsCurrentThread())
        Detach();
    else
        Join();
}

bool CDeepStackThread::Start(std::function<void()> body)
{
    if (m_bJoinable || !body)
        return false;
    std::unique_ptr<std::function<void()>> owned;
    try {
        owned = std::make_unique<std::function<void()>>(std::move(body));
    } catch (const std::bad_alloc&) {
        return false;
    }
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    bool started = pthread_attr_setstacksize(&attributes, kDeepStackBytes) == 0 &&
                   pthread_create(&m_handle, &attributes, DeepStackThreadMain, owned.get()) == 0;
    pthread_attr_destroy(&attributes);
    if (!started)
        return false;
    owned.release();  // the thread owns it now
    m_bJoinable = true;
    return true;
}

void CDeepStackThread::Join()
{
    if (!m_bJoinable)
        return;
    pthread_join(m_handle, nullptr);
    m_bJoinable = false;
}

void CDeepStackThread::Detach()
{
    if (!m_bJoinable)
        return;
    pthread_detach(m_handle);
    m_bJoinable = false;
}

bool CDeepStackThread::IsCurrentThread() const { return m_bJoinable && pthread_equal(m_handle, pthread_self()); }

bool RunOnDeepStack(const std::function<void()>& body)
{
    std::exception_ptr failure;
    CDeepStackThread thread;
    const bool started = thread.Start([&body, &failure] {
        try {
            body();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (!started)
        return false;
    thread.Join();
    if (failure)
        std::rethrow_exception(failure);
    return true;
}
