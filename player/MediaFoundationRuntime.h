#pragma once
// Media Foundation, loaded from the system folder while the program runs (the program does not
// import it: see SystemLibrary.h), started once per process and shut down at its end.
#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

class MediaFoundationRuntime {
public:
    // Starts Media Foundation the first time; true when it runs (later calls give the first
    // call's answer).
    static bool Start();

    // The platform's functions of the same names; E_NOTIMPL before a successful Start.
    static HRESULT CreateAttributes(IMFAttributes** attributes, UINT32 size);
    static HRESULT CreateMediaType(IMFMediaType** type);
    static HRESULT CreateSourceReaderFromURL(const wchar_t* url, IMFAttributes* attributes,
                                             IMFSourceReader** reader);
};
