#pragma once
// An output pin of the Media Foundation source filter: the decoded video or the PCM sound of
// one stream of the source reader. Its thread takes the samples that the filter's reader
// thread queues for it and delivers them downstream in buffers of the downstream allocator.
// It shares the filter's reference count; seeking goes to the filter.
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <vector>

#include "MediaTypes.h"
#include "SampleQueue.h"

class CMfSourceFilter;

// Waits for a streaming thread within the time left until `deadline` (a tick count) and
// closes its handle; false when it did not end in time (it then ends by itself later).
bool JoinThreadBy(HANDLE* thread, DWORD deadline);

// A streaming thread: the object's work in the multithreaded apartment (no message loop is
// needed), then the reference the thread was started with is released.
template <class T, void (T::*Work)()> DWORD WINAPI StreamingThread(void* parameter) {
    auto* object = static_cast<T*>(parameter);
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    (object->*Work)();
    if (com)
        CoUninitialize();
    object->Release();
    return 0;
}

class CMfOutputPin : public IPin, public IMediaSeeking {
public:
    enum class Kind { Video, Audio };

    // `types`: what the pin offers, best first (taken over; freed with the pin). A video pin
    // asks the filter to set the reader to each type's format before offering it.
    CMfOutputPin(CMfSourceFilter* filter, Kind kind, const wchar_t* name,
                 std::vector<AM_MEDIA_TYPE> types);
    ~CMfOutputPin();
    CMfOutputPin(const CMfOutputPin&) = delete;
    CMfOutputPin& operator=(const CMfOutputPin&) = delete;

    // IUnknown (the filter's count)
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IMediaSeeking: 100 ns units only; positions are the filter's
    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                              DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

    Kind PinKind() const { return m_kind; }
    bool IsConnected() const { return m_peer != nullptr; }
    CSampleQueue& Queue() { return m_queue; }

    // The filter's streaming steps, on the thread that changes its state. Active commits the
    // allocator; Start runs the delivery thread, which first announces the segment.
    HRESULT Active();
    void Inactive(); // decommits: a delivery waiting for a buffer gives up
    bool Start(REFERENCE_TIME segmentStart, REFERENCE_TIME segmentStop);
    // Waits for the delivery thread: see JoinThreadBy.
    bool Join(DWORD deadline);
    // True when the downstream filter plays sound at silence (IBasicAudio at -10000).
    bool DownstreamSilent();
    // Passes a flush to the downstream pin (to release a delivery it holds).
    void FlushDownstream(bool begin);

private:
    void Deliver();
    HRESULT DeliverVideo(const CSampleQueue::Item& item, bool discontinuity);
    HRESULT DeliverAudio(const CSampleQueue::Item& item, bool discontinuity);
    // Takes a media type that the renderer attached to a buffer (a new stride, say).
    void AdoptDownstreamType(const AM_MEDIA_TYPE& type);
    // The video layout of the connection type.
    void ReadConnectionLayout();
    HRESULT TryConnection(IPin* receivePin, const AM_MEDIA_TYPE& type);
    HRESULT DecideAllocator(IMemInputPin* input);

    CMfSourceFilter* m_filter;
    Kind m_kind;
    wchar_t m_name[32] = {};
    std::vector<AM_MEDIA_TYPE> m_types;
    CSampleQueue m_queue;

    // The connection, changed only while the filter is stopped.
    Microsoft::WRL::ComPtr<IPin> m_peer;
    Microsoft::WRL::ComPtr<IMemInputPin> m_input;
    Microsoft::WRL::ComPtr<IMemAllocator> m_allocator;
    AM_MEDIA_TYPE m_type{};
    VideoOutput m_video; // the reader's pictures for the connection type
    uint32_t m_destinationPitch = 0;
    bool m_destinationBottomUp = false;

    // Streaming.
    HANDLE m_thread = nullptr;
    REFERENCE_TIME m_segmentStart = 0;
    REFERENCE_TIME m_segmentStop = 0;
};
