#include "SampleQueue.h"

#include <new>

CSampleQueue::CSampleQueue(size_t capacity) : m_capacity(capacity) {
    InitializeCriticalSection(&m_lock);
}

CSampleQueue::~CSampleQueue() {
    m_items.clear();
    DeleteCriticalSection(&m_lock);
}

bool CSampleQueue::Push(Item item) {
    EnterCriticalSection(&m_lock);
    while (!m_stopped && m_items.size() >= m_capacity)
        (void)SleepConditionVariableCS(&m_changed, &m_lock, INFINITE); // fails only on time-out
    bool pushed = false;
    if (!m_stopped) {
        try {
            m_items.push_back(std::move(item));
            pushed = true;
        } catch (const std::bad_alloc&) {
            // Not delivered: taken like a stopped queue, which ends the reading.
        }
    }
    LeaveCriticalSection(&m_lock);
    if (pushed)
        WakeAllConditionVariable(&m_changed);
    return pushed;
}

bool CSampleQueue::Pop(Item* item) {
    EnterCriticalSection(&m_lock);
    while (!m_stopped && m_items.empty())
        (void)SleepConditionVariableCS(&m_changed, &m_lock, INFINITE); // fails only on time-out
    const bool popped = !m_stopped;
    if (popped) {
        *item = std::move(m_items.front());
        m_items.pop_front();
    }
    LeaveCriticalSection(&m_lock);
    if (popped)
        WakeAllConditionVariable(&m_changed);
    return popped;
}

void CSampleQueue::Stop() {
    std::deque<Item> dropped;
    EnterCriticalSection(&m_lock);
    m_stopped = true;
    dropped.swap(m_items);
    LeaveCriticalSection(&m_lock);
    WakeAllConditionVariable(&m_changed);
    // The samples go outside the lock: their release may take Media Foundation's own locks.
}

void CSampleQueue::Restart() {
    EnterCriticalSection(&m_lock);
    m_items.clear();
    m_stopped = false;
    LeaveCriticalSection(&m_lock);
}
