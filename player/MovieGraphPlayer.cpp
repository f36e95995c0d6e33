#include "MovieGraphPlayer.h"

HRESULT MovieGraphPlayer::Pause() {
    return Graph.Control ? Graph.Control->Pause() : E_POINTER;
}

HRESULT MovieGraphPlayer::Run() {
    return Graph.Control ? Graph.Control->Run() : E_POINTER;
}

HRESULT MovieGraphPlayer::GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2) {
    return Graph.Events ? Graph.Events->GetEvent(code, param1, param2, 0) : E_POINTER;
}

HRESULT MovieGraphPlayer::FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) {
    return Graph.Events ? Graph.Events->FreeEventParams(code, param1, param2) : E_POINTER;
}

HRESULT MovieGraphPlayer::SeekTo(LONGLONG position) {
    if (!Graph.Seeking)
        return E_POINTER;
    return Graph.Seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                       AM_SEEKING_NoPositioning);
}

HRESULT MovieGraphPlayer::GetCurrentPosition(LONGLONG* position) {
    return Graph.Seeking ? Graph.Seeking->GetPositions(position, nullptr) : E_POINTER;
}

HRESULT MovieGraphPlayer::SetVolume(long volume) {
    return Graph.Audio ? Graph.Audio->put_Volume(volume) : E_POINTER;
}
