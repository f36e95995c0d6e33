#pragma once
// A DirectShow source filter of the program's own, made in the process and never registered,
// that reads a file through Media Foundation's source reader: for files that the platform's
// DirectShow cannot render (on a Windows 10/11 as shipped, no splitter takes MP4, MOV, MKV or
// WebM, which Media Foundation opens). It has a video pin of decoded pictures (YV12 or NV12,
// RGB32 last) and, when the file has sound the reader can decode, a PCM audio pin. One
// thread reads the reader and queues each sample for its pin; each pin delivers on a thread
// of its own, so that a renderer holding its pin never stops the other.
#include <windows.h>
#include <dshow.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include <memory>

#include "MediaTypes.h"

class CMfOutputPin;

class CMfSourceFilter : public IBaseFilter {
public:
    // Builds the file's graph through this filter, after the platform's RenderFile failed:
    // removes what that attempt left in the graph but the renderer, adds the filter, connects
    // its video to the renderer and renders its sound (left out when no audio renderer takes
    // it). On failure the graph holds the renderer alone again.
    static HRESULT RenderFile(IGraphBuilder* graph, IBaseFilter* renderer, const wchar_t* path);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* id) override;

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // For the pins.
    bool IsStopped();
    // Sets the reader's video stream to the format; false when it cannot give it.
    bool SelectVideo(FrameFormat format, VideoOutput* output);
    // Positions (100 ns). Only the video pin's seeks move the reader: the graph passes a seek
    // to every renderer, and so to both pins.
    HRESULT SetPositions(bool fromVideo, LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                         DWORD stopFlags);
    void GetPositions(LONGLONG* current, LONGLONG* stop);
    LONGLONG Duration() const { return m_duration; }
    // The reader time of the latest video sample delivered.
    void Delivered(LONGLONG readerTime);

private:
    CMfSourceFilter(Microsoft::WRL::ComPtr<IMFSourceReader> reader, DWORD videoStream);
    virtual ~CMfSourceFilter();
    CMfSourceFilter(const CMfSourceFilter&) = delete;
    CMfSourceFilter& operator=(const CMfSourceFilter&) = delete;

    // Makes the pins; false when there is no video the reader can decode.
    bool MakePins(DWORD audioStream, bool hasAudio);
    HRESULT ConnectPins(IGraphBuilder* graph, IBaseFilter* renderer);
    // Streaming, under m_control: starts the reader's and the pins' threads from the pending
    // position; halts them, for a stop (the allocators decommitted) or for a seek (a flush
    // downstream: the renderers still run or pause).
    // Pause and Run: streaming starts when stopped.
    HRESULT Activate(FILTER_STATE state);
    enum class Halt { Stop, Seek };
    HRESULT StartStreaming();
    // Whether the sound is read at all: not when its renderer is silent.
    void DecideOnSound();
    void HaltStreaming(Halt how);
    void ReadSamples();
    // After the reader's type changed: the pictures keep the size the pins connected with.
    bool VideoSizeUnchanged();
    CMfOutputPin* PinOf(DWORD stream);
    // The pins that stream: the connected ones.
    int ActivePins(CMfOutputPin** pins);

    volatile LONG m_refs = 1;
    Microsoft::WRL::ComPtr<IMFSourceReader> m_reader;
    DWORD m_videoStream;
    DWORD m_audioStream = 0;
    std::unique_ptr<CMfOutputPin> m_videoPin;
    std::unique_ptr<CMfOutputPin> m_audioPin;
    LONGLONG m_duration = 0;
    // The reader's current video format, once set.
    bool m_videoSelected = false;
    VideoOutput m_selectedVideo;

    // State: changed under m_control (one state change, seek or stop at a time), read under
    // m_lock too.
    CRITICAL_SECTION m_control;
    CRITICAL_SECTION m_lock;
    FILTER_STATE m_state = State_Stopped;
    Microsoft::WRL::ComPtr<IReferenceClock> m_clock;
    IFilterGraph* m_graph = nullptr; // not held: the graph holds the filter
    wchar_t m_name[MAX_FILTER_NAME] = {};
    bool m_streaming = false;
    bool m_broken = false; // a thread did not end in time: no more streaming
    bool m_soundDecided = false;
    bool m_soundMuted = false; // the audio stream is not read: the renderer is silent
    HANDLE m_readerThread = nullptr;
    volatile LONG m_stopReading = 0;

    // Positions: under m_lock.
    LONGLONG m_pendingSeek = -1; // where the reader goes at the next start; -1: where it is
    LONGLONG m_segmentStart = 0;
    LONGLONG m_stop = 0;
    bool m_stopSet = false; // a stop before the end was asked for
    LONGLONG m_position = 0;
    LONGLONG m_readerAt = 0; // the reader time of the latest sample read
};
