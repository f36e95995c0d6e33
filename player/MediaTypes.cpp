#include "MediaTypes.h"

#include <dvdmedia.h>
#include <mfapi.h>
#include <wrl/client.h>

#include <cstring>

#include "MediaFoundationRuntime.h"

using Microsoft::WRL::ComPtr;

namespace {

const GUID kSubtypeYv12 = {
    0x32315659, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kSubtypeNv12 = {
    0x3231564E, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

const GUID& ReaderSubtype(FrameFormat format) {
    switch (format) {
    case FrameFormat::Yv12:
        return MFVideoFormat_YV12;
    case FrameFormat::Nv12:
        return MFVideoFormat_NV12;
    case FrameFormat::Rgb32:
        break;
    }
    return MFVideoFormat_RGB32;
}

DWORD Compression(FrameFormat format) {
    switch (format) {
    case FrameFormat::Yv12:
        return MAKEFOURCC('Y', 'V', '1', '2');
    case FrameFormat::Nv12:
        return MAKEFOURCC('N', 'V', '1', '2');
    case FrameFormat::Rgb32:
        break;
    }
    return BI_RGB;
}

void FillBitmapHeader(const VideoOutput& video, BITMAPINFOHEADER* header) {
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(video.Width);
    // Positive: YUV pictures are top-down whatever the sign, RGB ones with it bottom-up, the
    // usual layout, which the copy writes.
    header->biHeight = static_cast<LONG>(video.Height);
    header->biPlanes = 1;
    header->biBitCount = video.Format == FrameFormat::Rgb32 ? 32 : 12;
    header->biCompression = Compression(video.Format);
    header->biSizeImage = static_cast<DWORD>(FrameBytes(video.Format, video.Width, video.Height,
                                                        MinimumPitch(video.Format, video.Width)));
}

// A format block from the COM task allocator, zeroed.
BYTE* NewFormat(AM_MEDIA_TYPE* type, const GUID& formatType, ULONG size) {
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    if (block == nullptr)
        return nullptr;
    std::memset(block, 0, size);
    type->formattype = formatType;
    type->cbFormat = size;
    type->pbFormat = block;
    return block;
}

} // namespace

const GUID& VideoSubtype(FrameFormat format) {
    switch (format) {
    case FrameFormat::Yv12:
        return kSubtypeYv12;
    case FrameFormat::Nv12:
        return kSubtypeNv12;
    case FrameFormat::Rgb32:
        break;
    }
    return MEDIASUBTYPE_RGB32;
}

bool SelectVideoOutput(IMFSourceReader* reader, DWORD stream, FrameFormat format,
                       VideoOutput* output) {
    ComPtr<IMFMediaType> wanted;
    if (FAILED(MediaFoundationRuntime::CreateMediaType(&wanted)) ||
        FAILED(wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) ||
        FAILED(wanted->SetGUID(MF_MT_SUBTYPE, ReaderSubtype(format))) ||
        FAILED(reader->SetCurrentMediaType(stream, nullptr, wanted.Get())))
        return false;
    ComPtr<IMFMediaType> current;
    if (FAILED(reader->GetCurrentMediaType(stream, &current)))
        return false;
    UINT64 size = 0;
    if (FAILED(current->GetUINT64(MF_MT_FRAME_SIZE, &size)))
        return false;
    output->Format = format;
    output->Width = static_cast<UINT32>(size >> 32);
    output->Height = static_cast<UINT32>(size);
    if (output->Width == 0 || output->Height == 0 || output->Width > 16384 ||
        output->Height > 16384)
        return false;
    output->BufferRows = output->Height;
    output->FrameSize = size;
    // A decoder pads the frame to whole macroblocks (1088 rows for 1080) and says what to show
    // with its aperture; one that starts at the frame's corner is taken.
    MFVideoArea aperture{};
    if (SUCCEEDED(current->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE,
                                   reinterpret_cast<UINT8*>(&aperture), sizeof aperture,
                                   nullptr)) &&
        aperture.OffsetX.value == 0 && aperture.OffsetX.fract == 0 && aperture.OffsetY.value == 0 &&
        aperture.OffsetY.fract == 0 && aperture.Area.cx > 0 && aperture.Area.cy > 0 &&
        static_cast<UINT32>(aperture.Area.cx) <= output->Width &&
        static_cast<UINT32>(aperture.Area.cy) <= output->Height) {
        output->Width = static_cast<UINT32>(aperture.Area.cx);
        output->Height = static_cast<UINT32>(aperture.Area.cy);
    }
    UINT32 stride = 0;
    output->Pitch = SUCCEEDED(current->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride))
                        ? static_cast<INT32>(stride)
                        : MinimumPitch(format, static_cast<UINT32>(size >> 32));
    const UINT64 pixel = MFGetAttributeUINT64(current.Get(), MF_MT_PIXEL_ASPECT_RATIO, 0);
    output->Aspect = PictureAspect(output->Width, output->Height, static_cast<UINT32>(pixel >> 32),
                                   static_cast<UINT32>(pixel));
    const UINT64 rate = MFGetAttributeUINT64(current.Get(), MF_MT_FRAME_RATE, 0);
    output->FrameDuration =
        ::FrameDuration(static_cast<UINT32>(rate >> 32), static_cast<UINT32>(rate));
    return true;
}

bool SelectAudioOutput(IMFSourceReader* reader, DWORD stream, AudioOutput* output) {
    ComPtr<IMFMediaType> wanted;
    if (FAILED(MediaFoundationRuntime::CreateMediaType(&wanted)) ||
        FAILED(wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) ||
        FAILED(wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) ||
        FAILED(wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) ||
        FAILED(reader->SetCurrentMediaType(stream, nullptr, wanted.Get())))
        return false;
    ComPtr<IMFMediaType> current;
    if (FAILED(reader->GetCurrentMediaType(stream, &current)))
        return false;
    const UINT32 channels = MFGetAttributeUINT32(current.Get(), MF_MT_AUDIO_NUM_CHANNELS, 0);
    const UINT32 rate = MFGetAttributeUINT32(current.Get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0);
    const UINT32 bits = MFGetAttributeUINT32(current.Get(), MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (channels == 0 || channels > 8 || rate == 0 || bits != 16)
        return false;
    WAVEFORMATEX& wave = output->Wave;
    wave = {};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(channels);
    wave.nSamplesPerSec = rate;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(channels * 2);
    wave.nAvgBytesPerSec = rate * wave.nBlockAlign;
    return true;
}

bool MakeVideoType(const VideoOutput& video, bool videoInfo2, AM_MEDIA_TYPE* type) {
    *type = {};
    type->majortype = MEDIATYPE_Video;
    type->subtype = VideoSubtype(video.Format);
    type->bFixedSizeSamples = TRUE;
    type->bTemporalCompression = FALSE;
    BITMAPINFOHEADER* header = nullptr;
    if (videoInfo2) {
        BYTE* block = NewFormat(type, FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2));
        if (block == nullptr)
            return false;
        auto* info = reinterpret_cast<VIDEOINFOHEADER2*>(block);
        info->AvgTimePerFrame = video.FrameDuration;
        info->dwPictAspectRatioX = video.Aspect.X;
        info->dwPictAspectRatioY = video.Aspect.Y;
        header = &info->bmiHeader;
    } else {
        BYTE* block = NewFormat(type, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER));
        if (block == nullptr)
            return false;
        auto* info = reinterpret_cast<VIDEOINFOHEADER*>(block);
        info->AvgTimePerFrame = video.FrameDuration;
        header = &info->bmiHeader;
    }
    FillBitmapHeader(video, header);
    type->lSampleSize = header->biSizeImage;
    return true;
}

bool MakeAudioType(const AudioOutput& audio, AM_MEDIA_TYPE* type) {
    *type = {};
    type->majortype = MEDIATYPE_Audio;
    type->subtype = MEDIASUBTYPE_PCM;
    type->bFixedSizeSamples = TRUE;
    type->lSampleSize = audio.Wave.nBlockAlign;
    BYTE* block = NewFormat(type, FORMAT_WaveFormatEx, sizeof(WAVEFORMATEX));
    if (block == nullptr)
        return false;
    std::memcpy(block, &audio.Wave, sizeof(WAVEFORMATEX));
    return true;
}

const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type) {
    if (type.pbFormat == nullptr)
        return nullptr;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    return nullptr;
}

bool CopyMediaType(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from) {
    *to = from;
    to->pbFormat = nullptr;
    to->cbFormat = 0;
    if (from.cbFormat != 0 && from.pbFormat != nullptr) {
        to->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        if (to->pbFormat == nullptr) {
            to->pUnk = nullptr;
            return false;
        }
        std::memcpy(to->pbFormat, from.pbFormat, from.cbFormat);
        to->cbFormat = from.cbFormat;
    }
    if (to->pUnk != nullptr)
        to->pUnk->AddRef();
    return true;
}

void ClearMediaType(AM_MEDIA_TYPE* type) {
    CoTaskMemFree(type->pbFormat);
    if (type->pUnk != nullptr)
        type->pUnk->Release();
    *type = {};
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr)
        return;
    ClearMediaType(type);
    CoTaskMemFree(type);
}
