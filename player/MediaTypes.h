#pragma once
// DirectShow media types (AM_MEDIA_TYPE) of the Media Foundation source filter: made from
// what the source reader delivers, copied and freed the way DirectShow expects (the format
// block and the structure from the COM task allocator).
#include <windows.h>
#include <dshow.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdint>

#include "SourceReaderRules.h"

// The decoded pictures of the reader's video stream, as it was set to deliver them.
struct VideoOutput {
    FrameFormat Format = FrameFormat::Yv12;
    uint32_t Width = 0; // the picture shown (the decoder's display aperture)
    uint32_t Height = 0;
    uint32_t BufferRows = 0; // rows of the buffers' first plane: the height, or more
    int64_t Pitch = 0;       // of the reader's buffers, when they are not two-dimensional
    uint64_t FrameSize = 0;  // the reader's MF_MT_FRAME_SIZE: width high, rows low
    AspectRatio Aspect;
    int64_t FrameDuration = 0; // 0: unknown
};

// The reader's PCM sound.
struct AudioOutput {
    WAVEFORMATEX Wave{};
};

// Has the reader decode the stream to the format; false when it cannot.
bool SelectVideoOutput(IMFSourceReader* reader, DWORD stream, FrameFormat format,
                       VideoOutput* output);
// Has the reader decode the stream to 16-bit PCM; false when it cannot.
bool SelectAudioOutput(IMFSourceReader* reader, DWORD stream, AudioOutput* output);

// A type with its own format block (VIDEOINFOHEADER2 when `videoInfo2`, else
// VIDEOINFOHEADER); false when out of memory.
bool MakeVideoType(const VideoOutput& video, bool videoInfo2, AM_MEDIA_TYPE* type);
bool MakeAudioType(const AudioOutput& audio, AM_MEDIA_TYPE* type);

// The subtype of a format.
const GUID& VideoSubtype(FrameFormat format);
// The bitmap header inside a video type's format block, or null.
const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type);

// A deep copy into `to` (whose old content is not freed); false when out of memory.
bool CopyMediaType(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from);
// Frees the format block and the reference a type holds, and empties it.
void ClearMediaType(AM_MEDIA_TYPE* type);
// Frees a type made by the COM task allocator along with its content.
void DeleteMediaType(AM_MEDIA_TYPE* type);
