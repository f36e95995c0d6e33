#include "MfSourceFilter.h"

#include <mfapi.h>
#include <mferror.h>

#include <new>
#include <vector>

#include "MediaFoundationRuntime.h"
#include "MfOutputPin.h"
#include "PinEnumerator.h"

using Microsoft::WRL::ComPtr;

namespace {

// Never registered: the identity the filter reports, no more.
// {6B1E3C52-9F0A-4C7E-A5D3-2E8F4B7C1A90}
const CLSID kFilterId = {
    0x6b1e3c52, 0x9f0a, 0x4c7e, {0xa5, 0xd3, 0x2e, 0x8f, 0x4b, 0x7c, 0x1a, 0x90}};

constexpr wchar_t kFilterName[] = L"Media Foundation Source";

// How long a stop or a seek waits for the reader's and the pins' threads: one ReadSample and
// one delivery, normally a few milliseconds.
constexpr DWORD kThreadWaitMs = 1500;
// How long a stop gives the reader's thread before it leaves it to end by itself.
constexpr DWORD kReaderStopWaitMs = 100;

// The first stream of the major type, or false.
bool FindStream(IMFSourceReader* reader, const GUID& major, DWORD* stream) {
    for (DWORD index = 0;; ++index) {
        ComPtr<IMFMediaType> type;
        const HRESULT hr = reader->GetNativeMediaType(index, 0, &type);
        if (hr == MF_E_INVALIDSTREAMNUMBER || (FAILED(hr) && index > 64))
            return false;
        GUID found = GUID_NULL;
        if (SUCCEEDED(hr) && SUCCEEDED(type->GetGUID(MF_MT_MAJOR_TYPE, &found)) &&
            IsEqualGUID(found, major)) {
            *stream = index;
            return true;
        }
    }
}

// Leaves the renderer alone in the graph: what a failed RenderFile built may still be there.
void RemoveAllBut(IGraphBuilder* graph, IBaseFilter* keep) {
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters)))
        return;
    std::vector<ComPtr<IBaseFilter>> others;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        if (filter.Get() != keep) {
            try {
                others.push_back(filter);
            } catch (const std::bad_alloc&) {
                break;
            }
        }
    }
    for (const ComPtr<IBaseFilter>& other : others)
        (void)graph->RemoveFilter(other.Get()); // one left over is harmless: it is not connected
}

// The renderer's input pin.
ComPtr<IPin> InputPin(IBaseFilter* filter) {
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> pin;
    if (FAILED(filter->EnumPins(&pins)))
        return nullptr;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_INPUT)
            return pin;
    }
    return nullptr;
}

} // namespace

HRESULT CMfSourceFilter::RenderFile(IGraphBuilder* graph, IBaseFilter* renderer,
                                    const wchar_t* path) {
    if (!MediaFoundationRuntime::Start())
        return E_NOTIMPL;
    ComPtr<IMFAttributes> attributes;
    HRESULT hr = MediaFoundationRuntime::CreateAttributes(&attributes, 1);
    // The reader converts what the decoder gives into the formats the pins ask for.
    if (SUCCEEDED(hr))
        hr = attributes->SetUINT32(MF_SOURCE_READER_ENABLE_ADVANCED_VIDEO_PROCESSING, TRUE);
    ComPtr<IMFSourceReader> reader;
    if (SUCCEEDED(hr))
        hr = MediaFoundationRuntime::CreateSourceReaderFromURL(path, attributes.Get(), &reader);
    if (FAILED(hr))
        return hr;
    DWORD videoStream = 0;
    DWORD audioStream = 0;
    if (!FindStream(reader.Get(), MFMediaType_Video, &videoStream))
        return VFW_E_CANNOT_RENDER;
    const bool hasAudio = FindStream(reader.Get(), MFMediaType_Audio, &audioStream);
    // Only the streams the pins read are decoded.
    if (FAILED(hr = reader->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE)) ||
        FAILED(hr = reader->SetStreamSelection(videoStream, TRUE)) ||
        (hasAudio && FAILED(hr = reader->SetStreamSelection(audioStream, TRUE))))
        return hr;

    auto* filter = new (std::nothrow) CMfSourceFilter(reader, videoStream);
    if (filter == nullptr)
        return E_OUTOFMEMORY;
    ComPtr<IBaseFilter> held;
    *held.ReleaseAndGetAddressOf() = filter; // adopts the new object's one reference
    if (!filter->MakePins(audioStream, hasAudio))
        return VFW_E_CANNOT_RENDER;

    RemoveAllBut(graph, renderer);
    if (FAILED(hr = graph->AddFilter(filter, kFilterName)))
        return hr;
    hr = filter->ConnectPins(graph, renderer);
    if (FAILED(hr))
        RemoveAllBut(graph, renderer);
    return hr;
}

CMfSourceFilter::CMfSourceFilter(ComPtr<IMFSourceReader> reader, DWORD videoStream)
    : m_reader(reader), m_videoStream(videoStream) {
    InitializeCriticalSection(&m_control);
    InitializeCriticalSection(&m_lock);
    PROPVARIANT duration;
    PropVariantInit(&duration);
    if (SUCCEEDED(m_reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION,
                                                     &duration)) &&
        duration.vt == VT_UI8)
        m_duration = static_cast<LONGLONG>(duration.uhVal.QuadPart);
    (void)PropVariantClear(&duration); // a number: nothing to free
    m_stop = m_duration;
}

CMfSourceFilter::~CMfSourceFilter() {
    // The threads hold references: none runs once the last one is gone (this may be the
    // reader's thread's own last release).
    if (m_readerThread != nullptr)
        (void)CloseHandle(m_readerThread); // ours and valid
    m_audioPin.reset();
    m_videoPin.reset();
    DeleteCriticalSection(&m_lock);
    DeleteCriticalSection(&m_control);
}

bool CMfSourceFilter::MakePins(DWORD audioStream, bool hasAudio) {
    // The video pin offers every format the reader may give, at the stream's native size;
    // the format it connects with is set on the reader and read back then.
    VideoOutput native;
    if (!SelectVideo(FrameFormat::Yv12, &native) && !SelectVideo(FrameFormat::Nv12, &native) &&
        !SelectVideo(FrameFormat::Rgb32, &native))
        return false;
    std::vector<AM_MEDIA_TYPE> videoTypes;
    try {
        for (FrameFormat format : {FrameFormat::Yv12, FrameFormat::Nv12, FrameFormat::Rgb32}) {
            for (bool videoInfo2 : {true, false}) {
                VideoOutput candidate = native;
                candidate.Format = format;
                AM_MEDIA_TYPE type;
                if (!MakeVideoType(candidate, videoInfo2, &type))
                    throw std::bad_alloc();
                videoTypes.push_back(type);
            }
        }
        m_videoPin.reset(
            new CMfOutputPin(this, CMfOutputPin::Kind::Video, L"Video", std::move(videoTypes)));
    } catch (const std::bad_alloc&) {
        for (AM_MEDIA_TYPE& type : videoTypes)
            ClearMediaType(&type);
        return false;
    }

    AudioOutput audio;
    if (hasAudio && SelectAudioOutput(m_reader.Get(), audioStream, &audio)) {
        std::vector<AM_MEDIA_TYPE> audioTypes;
        AM_MEDIA_TYPE type;
        try {
            if (!MakeAudioType(audio, &type))
                throw std::bad_alloc();
            audioTypes.push_back(type);
            m_audioPin.reset(
                new CMfOutputPin(this, CMfOutputPin::Kind::Audio, L"Audio", std::move(audioTypes)));
            m_audioStream = audioStream;
        } catch (const std::bad_alloc&) {
            for (AM_MEDIA_TYPE& left : audioTypes)
                ClearMediaType(&left);
        }
    }
    if (!m_audioPin && hasAudio)
        (void)m_reader->SetStreamSelection(audioStream, FALSE); // not read: better not decoded
    return true;
}

HRESULT CMfSourceFilter::ConnectPins(IGraphBuilder* graph, IBaseFilter* renderer) {
    const ComPtr<IPin> input = InputPin(renderer);
    if (!input)
        return VFW_E_CANNOT_CONNECT;
    HRESULT hr = graph->Connect(m_videoPin.get(), input.Get());
    if (FAILED(hr))
        return hr;
    if (m_audioPin && FAILED(graph->Render(m_audioPin.get()))) {
        // No audio renderer takes it (no sound device): the picture plays alone.
        (void)m_reader->SetStreamSelection(m_audioStream, FALSE); // only saves decoding
    }
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IPersist) ||
        IsEqualGUID(riid, IID_IMediaFilter) || IsEqualGUID(riid, IID_IBaseFilter)) {
        *object = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CMfSourceFilter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CMfSourceFilter::Release() {
    const LONG count = InterlockedDecrement(&m_refs);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CMfSourceFilter::GetClassID(CLSID* id) {
    if (id == nullptr)
        return E_POINTER;
    *id = kFilterId;
    return S_OK;
}

bool CMfSourceFilter::IsStopped() {
    EnterCriticalSection(&m_lock);
    const bool stopped = m_state == State_Stopped;
    LeaveCriticalSection(&m_lock);
    return stopped;
}

STDMETHODIMP CMfSourceFilter::Stop() {
    EnterCriticalSection(&m_control);
    const bool streamed = m_streaming;
    if (streamed)
        HaltStreaming(Halt::Stop);
    EnterCriticalSection(&m_lock);
    m_state = State_Stopped;
    // A later start goes on from where this one got to.
    if (streamed && m_pendingSeek < 0)
        m_pendingSeek = m_position;
    LeaveCriticalSection(&m_lock);
    LeaveCriticalSection(&m_control);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::Pause() {
    return Activate(State_Paused);
}

STDMETHODIMP CMfSourceFilter::Run(REFERENCE_TIME) {
    // The samples carry stream times; the renderers pace them against the clock.
    return Activate(State_Running);
}

HRESULT CMfSourceFilter::Activate(FILTER_STATE state) {
    EnterCriticalSection(&m_control);
    HRESULT hr = S_OK;
    if (!m_streaming)
        hr = StartStreaming();
    if (SUCCEEDED(hr)) {
        EnterCriticalSection(&m_lock);
        m_state = state;
        LeaveCriticalSection(&m_lock);
    }
    LeaveCriticalSection(&m_control);
    return hr;
}

STDMETHODIMP CMfSourceFilter::GetState(DWORD, FILTER_STATE* state) {
    if (state == nullptr)
        return E_POINTER;
    EnterCriticalSection(&m_lock);
    *state = m_state;
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::SetSyncSource(IReferenceClock* clock) {
    EnterCriticalSection(&m_lock);
    m_clock = clock;
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::GetSyncSource(IReferenceClock** clock) {
    if (clock == nullptr)
        return E_POINTER;
    EnterCriticalSection(&m_lock);
    *clock = m_clock.Get();
    if (*clock != nullptr)
        (*clock)->AddRef();
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::EnumPins(IEnumPins** pins) {
    if (pins == nullptr)
        return E_POINTER;
    IPin* list[2] = {m_videoPin.get(), m_audioPin.get()};
    *pins = CPinEnumerator::Create(list, m_audioPin ? 2 : 1);
    return *pins != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CMfSourceFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (id == nullptr || pin == nullptr)
        return E_POINTER;
    *pin = nullptr;
    for (CMfOutputPin* candidate : {m_videoPin.get(), m_audioPin.get()}) {
        LPWSTR name = nullptr;
        if (candidate == nullptr || FAILED(candidate->QueryId(&name)))
            continue;
        const bool same = lstrcmpW(name, id) == 0;
        CoTaskMemFree(name);
        if (same) {
            *pin = candidate;
            candidate->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CMfSourceFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (info == nullptr)
        return E_POINTER;
    EnterCriticalSection(&m_lock);
    lstrcpynW(info->achName, m_name, MAX_FILTER_NAME);
    info->pGraph = m_graph;
    if (m_graph != nullptr)
        m_graph->AddRef();
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    // Leaving a graph that never stopped it: the threads, which hold the filter, end here.
    if (graph == nullptr)
        (void)Stop(); // always S_OK
    EnterCriticalSection(&m_lock);
    m_graph = graph;
    m_name[0] = L'\0';
    if (name != nullptr)
        lstrcpynW(m_name, name, MAX_FILTER_NAME);
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CMfSourceFilter::QueryVendorInfo(LPWSTR*) {
    return E_NOTIMPL;
}

bool CMfSourceFilter::SelectVideo(FrameFormat format, VideoOutput* output) {
    // Setting the reader's type again may build its decoder again: not for the same format.
    if (m_videoSelected && m_selectedVideo.Format == format) {
        *output = m_selectedVideo;
        return true;
    }
    m_videoSelected = SelectVideoOutput(m_reader.Get(), m_videoStream, format, &m_selectedVideo);
    *output = m_selectedVideo;
    return m_videoSelected;
}

int CMfSourceFilter::ActivePins(CMfOutputPin** pins) {
    int count = 0;
    for (CMfOutputPin* pin : {m_videoPin.get(), m_audioPin.get()})
        if (pin != nullptr && pin->IsConnected())
            pins[count++] = pin;
    return count;
}

CMfOutputPin* CMfSourceFilter::PinOf(DWORD stream) {
    if (stream == m_videoStream)
        return m_videoPin.get();
    if (m_audioPin && m_audioPin->IsConnected() && !m_soundMuted && stream == m_audioStream)
        return m_audioPin.get();
    return nullptr;
}

HRESULT CMfSourceFilter::StartStreaming() {
    if (m_readerThread != nullptr && !JoinThreadBy(&m_readerThread, GetTickCount() + kThreadWaitMs))
        m_broken = true; // the read left behind by the last stop never came back
    if (m_broken)
        return E_FAIL;
    CMfOutputPin* pins[2];
    const int count = ActivePins(pins);
    for (int i = 0; i < count; ++i) {
        const HRESULT hr = pins[i]->Active();
        if (FAILED(hr))
            return hr;
    }
    EnterCriticalSection(&m_lock);
    const LONGLONG seek = m_pendingSeek;
    m_pendingSeek = -1;
    LeaveCriticalSection(&m_lock);
    if (seek >= 0) {
        PROPVARIANT position;
        PropVariantInit(&position);
        position.vt = VT_I8;
        position.hVal.QuadPart = seek;
        // A reader that cannot seek plays on from where it is: the segment starts there.
        const bool sought = SUCCEEDED(m_reader->SetCurrentPosition(GUID_NULL, position));
        EnterCriticalSection(&m_lock);
        m_segmentStart = sought ? seek : m_readerAt;
        m_position = m_segmentStart;
        LeaveCriticalSection(&m_lock);
    }
    EnterCriticalSection(&m_lock);
    const LONGLONG start = m_segmentStart;
    const LONGLONG stop = m_stop;
    LeaveCriticalSection(&m_lock);
    InterlockedExchange(&m_stopReading, 0);
    DecideOnSound();
    for (int i = 0; i < count; ++i) {
        pins[i]->Queue().Restart();
        if (!pins[i]->Start(start, stop)) {
            HaltStreaming(Halt::Stop);
            return E_OUTOFMEMORY;
        }
    }
    if (m_soundMuted)
        (void)m_audioPin->Queue().Push({}); // the end at once; cannot fail: just restarted
    m_streaming = true;
    AddRef(); // the thread's
    m_readerThread =
        CreateThread(nullptr, 0, &StreamingThread<CMfSourceFilter, &CMfSourceFilter::ReadSamples>,
                     this, 0, nullptr);
    if (m_readerThread == nullptr) {
        Release();
        HaltStreaming(Halt::Stop);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CMfSourceFilter::HaltStreaming(Halt how) {
    CMfOutputPin* pins[2];
    const int count = ActivePins(pins);
    const bool flush = how == Halt::Seek;
    InterlockedExchange(&m_stopReading, 1);
    for (int i = 0; i < count; ++i) {
        pins[i]->Queue().Stop();
        // Releases a delivery that waits for a buffer or inside the renderer.
        if (flush)
            pins[i]->FlushDownstream(true);
        else
            pins[i]->Inactive();
    }
    const DWORD deadline = GetTickCount() + kThreadWaitMs;
    bool ended = true;
    for (int i = 0; i < count; ++i)
        ended = pins[i]->Join(deadline) && ended;
    // A stop does not wait for a read under way (a parser may take its time over a broken
    // file): the thread ends after it, and a later start waits for that. A seek needs the
    // reader to itself.
    if (how == Halt::Seek)
        ended = JoinThreadBy(&m_readerThread, deadline) && ended;
    else if (m_readerThread != nullptr &&
             WaitForSingleObject(m_readerThread, kReaderStopWaitMs) == WAIT_OBJECT_0)
        ended = JoinThreadBy(&m_readerThread, deadline) && ended;
    if (flush)
        for (int i = 0; i < count; ++i)
            pins[i]->FlushDownstream(false);
    if (!ended)
        m_broken = true; // a thread still inside the reader or a renderer: it ends by itself
    m_streaming = false;
}

void CMfSourceFilter::DecideOnSound() {
    if (m_soundDecided || !m_audioPin || !m_audioPin->IsConnected())
        return;
    // Decided once, at the first start: the player mutes a movie right after opening it, and
    // never unmutes it. Muted sound is not decoded (about a fifth of the work of a small
    // H.264 and AAC clip): its renderer gets the end of its stream at once, as for a movie
    // whose sound ends before its picture.
    m_soundDecided = true;
    m_soundMuted = m_audioPin->DownstreamSilent() &&
                   SUCCEEDED(m_reader->SetStreamSelection(m_audioStream, FALSE));
}

void CMfSourceFilter::ReadSamples() {
    CMfOutputPin* pins[2];
    int count = ActivePins(pins);
    if (m_soundMuted && count == 2)
        count = 1; // the video pin comes first
    int ended = 0;
    bool endedPin[2] = {false, false};
    const auto endPin = [&](CMfOutputPin* pin) {
        for (int i = 0; i < count; ++i) {
            if (pins[i] == pin && !endedPin[i]) {
                endedPin[i] = true;
                ++ended;
                (void)pin->Queue().Push({}); // fails only when stopped, when it does not matter
            }
        }
    };
    EnterCriticalSection(&m_lock);
    const LONGLONG segmentStart = m_segmentStart;
    // The file's end is the reader's: its duration may be a little short of the last frame.
    const LONGLONG stop = m_stopSet ? m_stop : -1;
    LeaveCriticalSection(&m_lock);
    while (ended < count && InterlockedCompareExchange(&m_stopReading, 0, 0) == 0) {
        DWORD stream = 0;
        DWORD flags = 0;
        LONGLONG time = 0;
        ComPtr<IMFSample> sample;
        const HRESULT hr =
            m_reader->ReadSample(MF_SOURCE_READER_ANY_STREAM, 0, &stream, &flags, &time, &sample);
        if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR) != 0) {
            // A file that fails midway ends its movie, as its end would.
            for (int i = 0; i < count; ++i)
                endPin(pins[i]);
            break;
        }
        CMfOutputPin* pin = PinOf(stream);
        if (pin == nullptr)
            continue;
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
            endPin(pin);
            continue;
        }
        // Pictures of another size than the connection's cannot be delivered: the movie ends
        // there, as one that fails midway.
        if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0 && pin == m_videoPin.get() &&
            !VideoSizeUnchanged()) {
            for (int i = 0; i < count; ++i)
                endPin(pins[i]);
            break;
        }
        if (!sample)
            continue; // a gap or a change of type, with nothing to show
        LONGLONG duration = 0;
        if (FAILED(sample->GetSampleDuration(&duration)))
            duration = 0;
        if (EndsBeforeSegment(time, duration, segmentStart))
            continue;
        if (stop >= 0 && time >= stop) {
            endPin(pin);
            continue;
        }
        if (!pin->Queue().Push({sample, time, duration}))
            break; // stopped
        EnterCriticalSection(&m_lock);
        m_readerAt = time;
        LeaveCriticalSection(&m_lock);
    }
}

bool CMfSourceFilter::VideoSizeUnchanged() {
    ComPtr<IMFMediaType> current;
    UINT64 size = 0;
    return SUCCEEDED(m_reader->GetCurrentMediaType(m_videoStream, &current)) &&
           SUCCEEDED(current->GetUINT64(MF_MT_FRAME_SIZE, &size)) &&
           size == m_selectedVideo.FrameSize;
}

HRESULT CMfSourceFilter::SetPositions(bool fromVideo, LONGLONG* current, DWORD currentFlags,
                                      LONGLONG* stop, DWORD stopFlags) {
    const DWORD currentHow = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopHow = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((currentHow != AM_SEEKING_NoPositioning && current == nullptr) ||
        (stopHow != AM_SEEKING_NoPositioning && stop == nullptr))
        return E_POINTER;
    if (!fromVideo) {
        // The video pin's seek moves the reader for both.
        GetPositions(
            currentHow != AM_SEEKING_NoPositioning && (currentFlags & AM_SEEKING_ReturnTime)
                ? current
                : nullptr,
            stopHow != AM_SEEKING_NoPositioning && (stopFlags & AM_SEEKING_ReturnTime) ? stop
                                                                                       : nullptr);
        return S_OK;
    }
    EnterCriticalSection(&m_control);
    EnterCriticalSection(&m_lock);
    LONGLONG target = -1;
    if (currentHow == AM_SEEKING_AbsolutePositioning)
        target = *current;
    else if (currentHow == AM_SEEKING_RelativePositioning)
        target = m_position + *current;
    if (target >= 0 && m_duration > 0 && target > m_duration)
        target = m_duration;
    if (target < 0 && currentHow != AM_SEEKING_NoPositioning)
        target = 0;
    if (stopHow == AM_SEEKING_AbsolutePositioning)
        m_stop = *stop;
    else if (stopHow == AM_SEEKING_RelativePositioning)
        m_stop += *stop;
    if (stopHow != AM_SEEKING_NoPositioning)
        m_stopSet = m_stop < m_duration;
    if (target >= 0) {
        m_pendingSeek = target;
        m_segmentStart = target;
        m_position = target;
    }
    if ((currentFlags & AM_SEEKING_ReturnTime) != 0 && current != nullptr)
        *current = m_position;
    if ((stopFlags & AM_SEEKING_ReturnTime) != 0 && stop != nullptr)
        *stop = m_stop;
    LeaveCriticalSection(&m_lock);
    HRESULT hr = S_OK;
    if (target >= 0 && m_streaming) {
        // Playing or paused: the renderers let go of what they hold, the threads stop, and
        // everything starts again at the new position with a new segment.
        HaltStreaming(Halt::Seek);
        hr = StartStreaming();
    }
    LeaveCriticalSection(&m_control);
    return hr;
}

void CMfSourceFilter::GetPositions(LONGLONG* current, LONGLONG* stop) {
    EnterCriticalSection(&m_lock);
    if (current != nullptr)
        *current = m_position;
    if (stop != nullptr)
        *stop = m_stop;
    LeaveCriticalSection(&m_lock);
}

void CMfSourceFilter::Delivered(LONGLONG readerTime) {
    EnterCriticalSection(&m_lock);
    m_position = readerTime;
    LeaveCriticalSection(&m_lock);
}
