#pragma once
// The decoded samples of one output pin between the thread that reads them from the source
// reader and the pin's thread that delivers them downstream. Bounded: the reader waits while
// a pin is behind (a paused renderer holds its pin), so that memory stays small.
#include <windows.h>
#include <mfobjects.h>
#include <wrl/client.h>

#include <cstdint>
#include <deque>

class CSampleQueue {
public:
    struct Item {
        Microsoft::WRL::ComPtr<IMFSample> Sample; // null for the end of the stream
        int64_t Time = 0;                         // the reader's, in 100 ns
        int64_t Duration = 0;                     // 0: unknown
    };

    explicit CSampleQueue(size_t capacity);
    ~CSampleQueue();
    CSampleQueue(const CSampleQueue&) = delete;
    CSampleQueue& operator=(const CSampleQueue&) = delete;

    // Waits for room; false once the queue is stopped (the item is dropped).
    bool Push(Item item);
    // Waits for an item; false once the queue is stopped.
    bool Pop(Item* item);
    // Drops every item and wakes both sides; Push and Pop fail until Restart.
    void Stop();
    void Restart();

private:
    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    std::deque<Item> m_items;
    size_t m_capacity;
    bool m_stopped = false;
};
