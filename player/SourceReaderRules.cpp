#include "SourceReaderRules.h"

#include <numeric>

namespace {

// The DirectShow results (vfwmsgs.h) that say no filter takes the file or one of its streams.
constexpr uint32_t kFallbackResults[] = {
    0x80040207, // VFW_E_NO_ACCEPTABLE_TYPES
    0x80040217, // VFW_E_CANNOT_CONNECT
    0x80040218, // VFW_E_CANNOT_RENDER
    0x8004022F, // VFW_E_INVALID_FILE_FORMAT
    0x80040240, // VFW_E_UNKNOWN_FILE_TYPE
    0x80040241, // VFW_E_CANNOT_LOAD_SOURCE_FILTER (a splitter registered, then removed)
    0x80040255, // VFW_E_NO_DECOMPRESSOR
    0x8004025C, // VFW_E_UNSUPPORTED_AUDIO
    0x8004025D, // VFW_E_UNSUPPORTED_VIDEO
    0x80040265, // VFW_E_UNSUPPORTED_STREAM
};

constexpr int64_t kUnitsPerSecond = 10'000'000;

PlaneCopy Plane(int64_t sourceOffset, int64_t sourcePitch, int64_t destinationOffset,
                int64_t destinationPitch, uint32_t rowBytes, uint32_t rows) {
    PlaneCopy plane;
    plane.SourceOffset = sourceOffset;
    plane.SourcePitch = sourcePitch;
    plane.DestinationOffset = destinationOffset;
    plane.DestinationPitch = destinationPitch;
    plane.RowBytes = rowBytes;
    plane.Rows = rows;
    return plane;
}

} // namespace

bool FallsBackToMediaFoundation(int32_t renderFileResult) {
    const auto code = static_cast<uint32_t>(renderFileResult);
    for (uint32_t result : kFallbackResults)
        if (code == result)
            return true;
    return false;
}

uint32_t FirstPlaneBytesPerPixel(FrameFormat format) {
    return format == FrameFormat::Rgb32 ? 4 : 1;
}

uint32_t MinimumPitch(FrameFormat format, uint32_t width) {
    // The 4:2:0 formats need an even pitch for their half-width chroma rows.
    return format == FrameFormat::Rgb32 ? width * 4 : (width + 1) & ~1u;
}

uint64_t FrameBytes(FrameFormat format, uint32_t width, uint32_t height, uint32_t pitch) {
    (void)width;
    const uint64_t first = uint64_t{pitch} * height;
    if (format == FrameFormat::Rgb32)
        return first;
    return first + uint64_t{pitch} * ((height + 1) / 2); // two half planes, or one interleaved
}

uint32_t PitchFromBitmapWidth(FrameFormat format, int32_t bitmapWidth) {
    const uint32_t width = bitmapWidth < 0 ? 0u : static_cast<uint32_t>(bitmapWidth);
    return width * FirstPlaneBytesPerPixel(format);
}

FrameCopy LayOutFrameCopy(FrameFormat format, uint32_t width, uint32_t height, uint32_t sourceRows,
                          int64_t sourcePitch, uint32_t destinationPitch,
                          bool destinationBottomUp) {
    FrameCopy copy;
    const int64_t destination = destinationPitch;
    if (format == FrameFormat::Rgb32) {
        const int64_t last = int64_t{height == 0 ? 0 : height - 1} * destination;
        copy.Planes[0] = destinationBottomUp
                             ? Plane(0, sourcePitch, last, -destination, width * 4, height)
                             : Plane(0, sourcePitch, 0, destination, width * 4, height);
        copy.Count = 1;
        return copy;
    }
    // 4:2:0: the first plane, then the chroma below it on both sides.
    const int64_t source = sourcePitch < 0 ? -sourcePitch : sourcePitch;
    if (sourceRows < height)
        sourceRows = height;
    const uint32_t chromaRows = (height + 1) / 2;
    const int64_t sourceFirst = source * sourceRows;
    const int64_t destinationFirst = destination * height;
    copy.Planes[0] = Plane(0, source, 0, destination, width, height);
    if (format == FrameFormat::Nv12) {
        copy.Planes[1] = Plane(sourceFirst, source, destinationFirst, destination,
                               (width + 1) & ~1u, chromaRows);
        copy.Count = 2;
        return copy;
    }
    // YV12: V, then U, each of half pitch.
    const uint32_t chromaWidth = (width + 1) / 2;
    copy.Planes[1] =
        Plane(sourceFirst, source / 2, destinationFirst, destination / 2, chromaWidth, chromaRows);
    copy.Planes[2] = Plane(sourceFirst + source / 2 * ((sourceRows + 1) / 2), source / 2,
                           destinationFirst + destination / 2 * chromaRows, destination / 2,
                           chromaWidth, chromaRows);
    copy.Count = 3;
    return copy;
}

AspectRatio PictureAspect(uint32_t width, uint32_t height, uint32_t pixelNumerator,
                          uint32_t pixelDenominator) {
    if (pixelNumerator == 0 || pixelDenominator == 0) {
        pixelNumerator = 1;
        pixelDenominator = 1;
    }
    uint64_t x = uint64_t{width} * pixelNumerator;
    uint64_t y = uint64_t{height} * pixelDenominator;
    if (x == 0 || y == 0)
        return {};
    const uint64_t divisor = std::gcd(x, y);
    x /= divisor;
    y /= divisor;
    // Kept within 32 bits, should an odd pixel ratio make the terms large.
    while (x > UINT32_MAX || y > UINT32_MAX) {
        x /= 2;
        y /= 2;
    }
    AspectRatio ratio;
    ratio.X = static_cast<uint32_t>(x == 0 ? 1 : x);
    ratio.Y = static_cast<uint32_t>(y == 0 ? 1 : y);
    return ratio;
}

int64_t StreamTime(int64_t readerTime, int64_t segmentStart) {
    return readerTime - segmentStart;
}

bool EndsBeforeSegment(int64_t readerTime, int64_t duration, int64_t segmentStart) {
    return readerTime + (duration > 0 ? duration : 1) <= segmentStart;
}

int64_t AudioTimeAt(int64_t start, uint64_t offsetBytes, uint32_t bytesPerSecond) {
    if (bytesPerSecond == 0)
        return start;
    return start + static_cast<int64_t>(offsetBytes * kUnitsPerSecond / bytesPerSecond);
}

int64_t FrameDuration(uint32_t rateNumerator, uint32_t rateDenominator) {
    if (rateNumerator == 0)
        return 0;
    return static_cast<int64_t>(uint64_t{rateDenominator} * kUnitsPerSecond / rateNumerator);
}
