#include "MfOutputPin.h"

#include <mfapi.h>

#include <cstring>
#include <new>

#include "MediaTypeEnumerator.h"
#include "MfSourceFilter.h"

using Microsoft::WRL::ComPtr;

namespace {

// Buffers asked of the downstream allocator: the renderer may hold one while the next is
// filled. Sound goes in blocks of about a quarter of a second, larger reads split.
constexpr long kVideoBuffers = 3;
constexpr long kAudioBuffers = 8;
constexpr DWORD kAudioBufferMs = 250;
// Samples queued: a few frames of video, about a second of sound.
constexpr size_t kVideoQueue = 4;
constexpr size_t kAudioQueue = 48;

FrameFormat FormatOf(const AM_MEDIA_TYPE& type) {
    if (IsEqualGUID(type.subtype, VideoSubtype(FrameFormat::Nv12)))
        return FrameFormat::Nv12;
    if (IsEqualGUID(type.subtype, VideoSubtype(FrameFormat::Rgb32)))
        return FrameFormat::Rgb32;
    return FrameFormat::Yv12;
}

bool SameType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    return IsEqualGUID(a.majortype, b.majortype) && IsEqualGUID(a.subtype, b.subtype) &&
           IsEqualGUID(a.formattype, b.formattype) && a.cbFormat == b.cbFormat &&
           (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

// Copies the planes of a frame.
void CopyFrame(const FrameCopy& copy, const BYTE* source, BYTE* destination) {
    for (int p = 0; p < copy.Count; ++p) {
        const PlaneCopy& plane = copy.Planes[p];
        const BYTE* from = source + plane.SourceOffset;
        BYTE* to = destination + plane.DestinationOffset;
        for (uint32_t row = 0; row < plane.Rows; ++row) {
            std::memcpy(to, from, plane.RowBytes);
            from += plane.SourcePitch;
            to += plane.DestinationPitch;
        }
    }
}

// The bytes from a plane's start offset up to the end of its last row, on either side;
// negative pitches walk backwards from the offset.
bool PlanesFit(const FrameCopy& copy, int64_t sourceBytes, int64_t sourceBase,
               int64_t destinationBytes) {
    for (int p = 0; p < copy.Count; ++p) {
        const PlaneCopy& plane = copy.Planes[p];
        if (plane.Rows == 0)
            continue;
        const int64_t rows = plane.Rows - 1;
        const int64_t sourceFirst = sourceBase + plane.SourceOffset;
        const int64_t sourceLast = sourceFirst + rows * plane.SourcePitch;
        const int64_t destinationFirst = plane.DestinationOffset;
        const int64_t destinationLast = destinationFirst + rows * plane.DestinationPitch;
        for (int64_t at : {sourceFirst, sourceLast})
            if (at < 0 || at + plane.RowBytes > sourceBytes)
                return false;
        for (int64_t at : {destinationFirst, destinationLast})
            if (at < 0 || at + plane.RowBytes > destinationBytes)
                return false;
    }
    return true;
}

} // namespace

CMfOutputPin::CMfOutputPin(CMfSourceFilter* filter, Kind kind, const wchar_t* name,
                           std::vector<AM_MEDIA_TYPE> types)
    : m_filter(filter), m_kind(kind), m_types(std::move(types)),
      m_queue(kind == Kind::Video ? kVideoQueue : kAudioQueue) {
    lstrcpynW(m_name, name, 32);
}

CMfOutputPin::~CMfOutputPin() {
    for (AM_MEDIA_TYPE& type : m_types)
        ClearMediaType(&type);
    ClearMediaType(&m_type);
    if (m_thread != nullptr)
        (void)CloseHandle(m_thread); // ours and valid
}

STDMETHODIMP CMfOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IPin)) {
        *object = static_cast<IPin*>(this);
    } else if (IsEqualGUID(riid, IID_IMediaSeeking)) {
        *object = static_cast<IMediaSeeking*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CMfOutputPin::AddRef() {
    return m_filter->AddRef();
}

STDMETHODIMP_(ULONG) CMfOutputPin::Release() {
    return m_filter->Release();
}

HRESULT CMfOutputPin::TryConnection(IPin* receivePin, const AM_MEDIA_TYPE& type) {
    HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (FAILED(hr))
        return hr;
    ComPtr<IMemInputPin> input;
    hr = receivePin->QueryInterface(IID_IMemInputPin,
                                    reinterpret_cast<void**>(input.GetAddressOf()));
    if (SUCCEEDED(hr)) {
        ClearMediaType(&m_type);
        if (!CopyMediaType(&m_type, type))
            hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        hr = DecideAllocator(input.Get());
    if (FAILED(hr)) {
        (void)receivePin->Disconnect(); // ours to undo; it fails only when not connected
        ClearMediaType(&m_type);
        m_allocator.Reset();
        return hr;
    }
    m_peer = receivePin;
    m_input = input;
    if (m_kind == Kind::Video)
        ReadConnectionLayout();
    return S_OK;
}

HRESULT CMfOutputPin::DecideAllocator(IMemInputPin* input) {
    ALLOCATOR_PROPERTIES wanted{};
    (void)input->GetAllocatorRequirements(&wanted); // E_NOTIMPL: no requirements
    if (m_kind == Kind::Video) {
        wanted.cBuffers = wanted.cBuffers > kVideoBuffers ? wanted.cBuffers : kVideoBuffers;
        const long size = static_cast<long>(m_type.lSampleSize);
        wanted.cbBuffer = wanted.cbBuffer > size ? wanted.cbBuffer : size;
    } else {
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(m_type.pbFormat);
        const long size = static_cast<long>(wave->nAvgBytesPerSec / (1000 / kAudioBufferMs)) /
                          wave->nBlockAlign * wave->nBlockAlign;
        wanted.cBuffers = wanted.cBuffers > kAudioBuffers ? wanted.cBuffers : kAudioBuffers;
        wanted.cbBuffer = wanted.cbBuffer > size ? wanted.cbBuffer : size;
    }
    if (wanted.cbAlign <= 0)
        wanted.cbAlign = 1;
    // The downstream pin's allocator first (a renderer's own, perhaps of video memory), then a
    // plain one in memory.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ComPtr<IMemAllocator> allocator;
        HRESULT hr = attempt == 0
                         ? input->GetAllocator(&allocator)
                         : CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IMemAllocator,
                                            reinterpret_cast<void**>(allocator.GetAddressOf()));
        if (FAILED(hr))
            continue;
        ALLOCATOR_PROPERTIES actual{};
        if (FAILED(allocator->SetProperties(&wanted, &actual)) || actual.cbBuffer <= 0 ||
            FAILED(input->NotifyAllocator(allocator.Get(), FALSE)))
            continue;
        m_allocator = allocator;
        return S_OK;
    }
    return VFW_E_NO_ALLOCATOR;
}

void CMfOutputPin::ReadConnectionLayout() {
    const BITMAPINFOHEADER* header = BitmapHeader(m_type);
    if (header == nullptr)
        return;
    m_destinationPitch = PitchFromBitmapWidth(m_video.Format, header->biWidth);
    if (m_destinationPitch < MinimumPitch(m_video.Format, m_video.Width))
        m_destinationPitch = MinimumPitch(m_video.Format, m_video.Width);
    m_destinationBottomUp = m_video.Format == FrameFormat::Rgb32 && header->biHeight > 0;
}

STDMETHODIMP CMfOutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (receivePin == nullptr)
        return E_POINTER;
    if (m_peer)
        return VFW_E_ALREADY_CONNECTED;
    if (!m_filter->IsStopped())
        return VFW_E_NOT_STOPPED;
    for (const AM_MEDIA_TYPE& offered : m_types) {
        // A type asked for, complete or partial, narrows the offer.
        if (type != nullptr && ((!IsEqualGUID(type->majortype, GUID_NULL) &&
                                 !IsEqualGUID(type->majortype, offered.majortype)) ||
                                (!IsEqualGUID(type->subtype, GUID_NULL) &&
                                 !IsEqualGUID(type->subtype, offered.subtype)) ||
                                (!IsEqualGUID(type->formattype, GUID_NULL) &&
                                 !IsEqualGUID(type->formattype, offered.formattype))))
            continue;
        if (m_kind == Kind::Audio) {
            if (SUCCEEDED(TryConnection(receivePin, offered)))
                return S_OK;
            continue;
        }
        // The reader is set to the format, and the type made from what it then gives.
        VideoOutput video;
        if (!m_filter->SelectVideo(FormatOf(offered), &video))
            continue;
        AM_MEDIA_TYPE actual;
        if (!MakeVideoType(video, IsEqualGUID(offered.formattype, FORMAT_VideoInfo2), &actual))
            return E_OUTOFMEMORY;
        m_video = video;
        const HRESULT hr = TryConnection(receivePin, actual);
        ClearMediaType(&actual);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

STDMETHODIMP CMfOutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
    return E_UNEXPECTED; // an output pin
}

STDMETHODIMP CMfOutputPin::Disconnect() {
    if (!m_filter->IsStopped())
        return VFW_E_NOT_STOPPED;
    if (!m_peer)
        return S_FALSE;
    if (m_allocator)
        (void)m_allocator->Decommit(); // stopped: nothing is delivered
    m_allocator.Reset();
    m_input.Reset();
    m_peer.Reset();
    ClearMediaType(&m_type);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::ConnectedTo(IPin** pin) {
    if (pin == nullptr)
        return E_POINTER;
    *pin = m_peer.Get();
    if (*pin == nullptr)
        return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return S_OK;
}

STDMETHODIMP CMfOutputPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr)
        return E_POINTER;
    if (!m_peer) {
        *type = {};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, m_type) ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CMfOutputPin::QueryPinInfo(PIN_INFO* info) {
    if (info == nullptr)
        return E_POINTER;
    info->pFilter = m_filter;
    m_filter->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, m_name, MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::QueryDirection(PIN_DIRECTION* direction) {
    if (direction == nullptr)
        return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP CMfOutputPin::QueryId(LPWSTR* id) {
    if (id == nullptr)
        return E_POINTER;
    const size_t bytes = (lstrlenW(m_name) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*id == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(*id, m_name, bytes);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (type == nullptr)
        return E_POINTER;
    if (!m_peer)
        return S_FALSE;
    if (m_kind == Kind::Audio)
        return SameType(*type, m_type) ? S_OK : S_FALSE;
    // The renderer may ask for the same pictures with a wider stride (or another layout of
    // rows): it says so with biWidth and the height's sign.
    const BITMAPINFOHEADER* header = BitmapHeader(*type);
    const bool same = header != nullptr && IsEqualGUID(type->majortype, MEDIATYPE_Video) &&
                      IsEqualGUID(type->subtype, m_type.subtype) &&
                      header->biWidth >= static_cast<LONG>(m_video.Width) &&
                      (header->biHeight == static_cast<LONG>(m_video.Height) ||
                       header->biHeight == -static_cast<LONG>(m_video.Height));
    return same ? S_OK : S_FALSE;
}

STDMETHODIMP CMfOutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr)
        return E_POINTER;
    *types = CMediaTypeEnumerator::Create(m_types.data(), m_types.size());
    return *types != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CMfOutputPin::QueryInternalConnections(IPin**, ULONG*) {
    return E_NOTIMPL;
}

STDMETHODIMP CMfOutputPin::EndOfStream() {
    return E_UNEXPECTED; // an output pin
}

STDMETHODIMP CMfOutputPin::BeginFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP CMfOutputPin::EndFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP CMfOutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) {
    return S_OK;
}

// Streaming.

HRESULT CMfOutputPin::Active() {
    return m_allocator ? m_allocator->Commit() : VFW_E_NO_ALLOCATOR;
}

void CMfOutputPin::Inactive() {
    if (m_allocator)
        (void)m_allocator->Decommit(); // fails only when there is nothing to decommit
}

bool CMfOutputPin::Start(REFERENCE_TIME segmentStart, REFERENCE_TIME segmentStop) {
    m_segmentStart = segmentStart;
    m_segmentStop = segmentStop;
    if (m_thread != nullptr)
        (void)CloseHandle(m_thread); // a thread given up on; it ends by itself
    AddRef();                        // the thread's
    m_thread = CreateThread(nullptr, 0, &StreamingThread<CMfOutputPin, &CMfOutputPin::Deliver>,
                            this, 0, nullptr);
    if (m_thread == nullptr) {
        Release();
        return false;
    }
    return true;
}

bool CMfOutputPin::Join(DWORD deadline) {
    return JoinThreadBy(&m_thread, deadline);
}

bool JoinThreadBy(HANDLE* thread, DWORD deadline) {
    if (*thread == nullptr)
        return true;
    const DWORD now = GetTickCount();
    const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
    const bool ended = WaitForSingleObject(*thread, left) == WAIT_OBJECT_0;
    (void)CloseHandle(*thread); // ours and valid
    *thread = nullptr;
    return ended;
}

bool CMfOutputPin::DownstreamSilent() {
    PIN_INFO info{};
    if (!m_peer || FAILED(m_peer->QueryPinInfo(&info)) || info.pFilter == nullptr)
        return false;
    ComPtr<IBaseFilter> renderer;
    *renderer.ReleaseAndGetAddressOf() = info.pFilter; // adopts the reference it came with
    ComPtr<IBasicAudio> audio;
    long volume = 0;
    return SUCCEEDED(renderer->QueryInterface(IID_IBasicAudio,
                                              reinterpret_cast<void**>(audio.GetAddressOf()))) &&
           SUCCEEDED(audio->get_Volume(&volume)) && volume <= -10000;
}

void CMfOutputPin::FlushDownstream(bool begin) {
    if (m_peer)
        (void)(begin ? m_peer->BeginFlush() : m_peer->EndFlush()); // the renderer's business
}

void CMfOutputPin::Deliver() {
    // Results ignored: a renderer that refuses the segment refuses its samples too.
    (void)m_peer->NewSegment(m_segmentStart, m_segmentStop, 1.0);
    bool discontinuity = true;
    bool refused = false;
    CSampleQueue::Item item;
    while (m_queue.Pop(&item)) {
        if (!item.Sample) {
            (void)m_peer->EndOfStream(); // the renderer reports the end to the graph
            continue;
        }
        if (refused)
            continue; // kept reading, so that the reader thread never waits for this pin
        const HRESULT hr = m_kind == Kind::Video ? DeliverVideo(item, discontinuity)
                                                 : DeliverAudio(item, discontinuity);
        discontinuity = false;
        // S_FALSE: the renderer wants no more until the next start (stopping or flushing).
        if (hr != S_OK) {
            refused = true;
            if (FAILED(hr))
                (void)m_peer->EndOfStream(); // a sample that cannot be delivered ends the movie
        }
        item = {};
    }
}

void CMfOutputPin::AdoptDownstreamType(const AM_MEDIA_TYPE& type) {
    AM_MEDIA_TYPE copy;
    if (!CopyMediaType(&copy, type))
        return;
    ClearMediaType(&m_type);
    m_type = copy;
    ReadConnectionLayout();
}

HRESULT CMfOutputPin::DeliverVideo(const CSampleQueue::Item& item, bool discontinuity) {
    ComPtr<IMediaSample> out;
    HRESULT hr = m_allocator->GetBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr == VFW_E_NOT_COMMITTED ? S_FALSE : hr;
    AM_MEDIA_TYPE* changed = nullptr;
    if (out->GetMediaType(&changed) == S_OK && changed != nullptr) {
        AdoptDownstreamType(*changed);
        DeleteMediaType(changed);
    }
    BYTE* destination = nullptr;
    if (FAILED(hr = out->GetPointer(&destination)))
        return hr;
    const long destinationBytes = out->GetSize();

    // The decoded picture: a two-dimensional buffer gives its own pitch.
    ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(hr = item.Sample->ConvertToContiguousBuffer(&buffer)))
        return hr;
    ComPtr<IMF2DBuffer2> sized;
    ComPtr<IMF2DBuffer> planes;
    BYTE* source = nullptr;
    LONG pitch = 0;
    DWORD length = 0;
    int64_t sourceBase = 0; // where the picture's top row lies from `source`
    int64_t sourceBytes = 0;
    BYTE* bufferStart = nullptr;
    bool twoD = false;
    bool sizedLock = false;
    if (SUCCEEDED(buffer->QueryInterface(IID_IMF2DBuffer2,
                                         reinterpret_cast<void**>(sized.GetAddressOf()))) &&
        SUCCEEDED(
            sized->Lock2DSize(MF2DBuffer_LockFlags_Read, &source, &pitch, &bufferStart, &length))) {
        // The buffer's own extent: every plane is checked against it.
        twoD = true;
        sizedLock = true;
        sourceBase = source - bufferStart;
        sourceBytes = length;
        source = bufferStart;
    } else if (SUCCEEDED(buffer.As(&planes)) && SUCCEEDED(planes->Lock2D(&source, &pitch))) {
        // Lock2D gives the top row and the pitch; the planes below it are the buffer's own.
        twoD = true;
        const auto rows = static_cast<int64_t>(
            FrameBytes(m_video.Format, m_video.Width, m_video.BufferRows, 1)); // of all planes
        sourceBytes = rows * (pitch < 0 ? -int64_t{pitch} : pitch);
        if (pitch < 0) {
            sourceBase = -int64_t{pitch} * (m_video.BufferRows - 1);
            source -= sourceBase;
        }
    } else {
        if (FAILED(hr = buffer->Lock(&source, nullptr, &length)))
            return hr;
        pitch = static_cast<LONG>(m_video.Pitch);
        sourceBytes = length;
        if (pitch < 0)
            sourceBase = -int64_t{pitch} * (m_video.BufferRows - 1);
    }
    const FrameCopy copy =
        LayOutFrameCopy(m_video.Format, m_video.Width, m_video.Height, m_video.BufferRows, pitch,
                        m_destinationPitch, m_destinationBottomUp);
    const bool fits = PlanesFit(copy, sourceBytes, sourceBase, destinationBytes);
    if (fits)
        CopyFrame(copy, source + sourceBase, destination);
    if (sizedLock)
        (void)sized->Unlock2D(); // ours to undo
    else if (twoD)
        (void)planes->Unlock2D();
    else
        (void)buffer->Unlock();
    if (!fits)
        return S_OK; // a picture of another size than announced is left out

    const uint64_t frameBytes =
        FrameBytes(m_video.Format, m_video.Width, m_video.Height, m_destinationPitch);
    (void)out->SetActualDataLength(static_cast<long>(frameBytes)); // within the size: checked
    REFERENCE_TIME start = StreamTime(item.Time, m_segmentStart);
    const int64_t duration = item.Duration > 0 ? item.Duration : m_video.FrameDuration;
    REFERENCE_TIME end = start + (duration > 0 ? duration : 1);
    (void)out->SetTime(&start, &end); // sets two fields
    (void)out->SetSyncPoint(TRUE);
    (void)out->SetDiscontinuity(discontinuity ? TRUE : FALSE);
    hr = m_input->Receive(out.Get());
    if (hr == S_OK)
        m_filter->Delivered(item.Time);
    return hr;
}

HRESULT CMfOutputPin::DeliverAudio(const CSampleQueue::Item& item, bool discontinuity) {
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(m_type.pbFormat);
    ComPtr<IMFMediaBuffer> buffer;
    HRESULT hr = item.Sample->ConvertToContiguousBuffer(&buffer);
    if (FAILED(hr))
        return hr;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(hr = buffer->Lock(&data, nullptr, &length)))
        return hr;
    const REFERENCE_TIME first = StreamTime(item.Time, m_segmentStart);
    DWORD offset = 0;
    hr = S_OK;
    while (hr == S_OK && offset < length) {
        ComPtr<IMediaSample> out;
        hr = m_allocator->GetBuffer(&out, nullptr, nullptr, 0);
        if (FAILED(hr)) {
            hr = hr == VFW_E_NOT_COMMITTED ? S_FALSE : hr;
            break;
        }
        BYTE* destination = nullptr;
        if (FAILED(hr = out->GetPointer(&destination)))
            break;
        DWORD bytes = length - offset;
        const auto room =
            static_cast<DWORD>(out->GetSize()) / wave->nBlockAlign * wave->nBlockAlign;
        if (bytes > room)
            bytes = room;
        if (bytes == 0) {
            hr = E_UNEXPECTED; // a buffer smaller than one block of sound
            break;
        }
        std::memcpy(destination, data + offset, bytes);
        (void)out->SetActualDataLength(static_cast<long>(bytes)); // within the size
        REFERENCE_TIME start = AudioTimeAt(first, offset, wave->nAvgBytesPerSec);
        REFERENCE_TIME end = AudioTimeAt(first, offset + bytes, wave->nAvgBytesPerSec);
        (void)out->SetTime(&start, &end);
        (void)out->SetSyncPoint(TRUE);
        (void)out->SetDiscontinuity(discontinuity && offset == 0 ? TRUE : FALSE);
        hr = m_input->Receive(out.Get());
        offset += bytes;
    }
    (void)buffer->Unlock(); // ours to undo
    return hr;
}

// IMediaSeeking: the filter's positions, in 100 ns units only.

STDMETHODIMP CMfOutputPin::GetCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr)
        return E_POINTER;
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                    AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                    AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    return S_OK;
}

STDMETHODIMP CMfOutputPin::CheckCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr)
        return E_POINTER;
    DWORD ours = 0;
    (void)GetCapabilities(&ours); // cannot fail
    const DWORD asked = *capabilities;
    *capabilities &= ours;
    if (*capabilities == asked)
        return S_OK;
    return *capabilities != 0 ? S_FALSE : E_FAIL;
}

STDMETHODIMP CMfOutputPin::IsFormatSupported(const GUID* format) {
    if (format == nullptr)
        return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : S_FALSE;
}

STDMETHODIMP CMfOutputPin::QueryPreferredFormat(GUID* format) {
    return GetTimeFormat(format);
}

STDMETHODIMP CMfOutputPin::GetTimeFormat(GUID* format) {
    if (format == nullptr)
        return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP CMfOutputPin::IsUsingTimeFormat(const GUID* format) {
    return IsFormatSupported(format);
}

STDMETHODIMP CMfOutputPin::SetTimeFormat(const GUID* format) {
    if (format == nullptr)
        return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CMfOutputPin::GetDuration(LONGLONG* duration) {
    if (duration == nullptr)
        return E_POINTER;
    *duration = m_filter->Duration();
    return S_OK;
}

STDMETHODIMP CMfOutputPin::GetStopPosition(LONGLONG* stop) {
    if (stop == nullptr)
        return E_POINTER;
    m_filter->GetPositions(nullptr, stop);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::GetCurrentPosition(LONGLONG* current) {
    if (current == nullptr)
        return E_POINTER;
    m_filter->GetPositions(current, nullptr);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat,
                                             LONGLONG source, const GUID* sourceFormat) {
    if (target == nullptr)
        return E_POINTER;
    const bool sourceOk =
        sourceFormat == nullptr || IsEqualGUID(*sourceFormat, TIME_FORMAT_MEDIA_TIME);
    const bool targetOk =
        targetFormat == nullptr || IsEqualGUID(*targetFormat, TIME_FORMAT_MEDIA_TIME);
    if (!sourceOk || !targetOk)
        return E_INVALIDARG;
    *target = source;
    return S_OK;
}

STDMETHODIMP CMfOutputPin::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                        DWORD stopFlags) {
    return m_filter->SetPositions(m_kind == Kind::Video, current, currentFlags, stop, stopFlags);
}

STDMETHODIMP CMfOutputPin::GetPositions(LONGLONG* current, LONGLONG* stop) {
    m_filter->GetPositions(current, stop);
    return S_OK;
}

STDMETHODIMP CMfOutputPin::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    if (earliest != nullptr)
        *earliest = 0;
    if (latest != nullptr)
        *latest = m_filter->Duration();
    return S_OK;
}

STDMETHODIMP CMfOutputPin::SetRate(double rate) {
    return rate == 1.0 ? S_OK : E_INVALIDARG; // played at its own pace only
}

STDMETHODIMP CMfOutputPin::GetRate(double* rate) {
    if (rate == nullptr)
        return E_POINTER;
    *rate = 1.0;
    return S_OK;
}

STDMETHODIMP CMfOutputPin::GetPreroll(LONGLONG* preroll) {
    if (preroll == nullptr)
        return E_POINTER;
    *preroll = 0;
    return S_OK;
}
