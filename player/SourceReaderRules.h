#pragma once
// The rules of the Media Foundation source filter that need no platform: which results of
// the platform's RenderFile hand a file to it, where the planes of a decoded frame lie, and
// how the reader's times become the graph's. Values in, values out; built natively too.
#include <cstddef>
#include <cstdint>

// True for a RenderFile failure that means no DirectShow filter takes the file (no splitter
// or no decoder), and false for success and for every other failure: a file that is missing
// or cannot be read is not tried again.
bool FallsBackToMediaFoundation(int32_t renderFileResult);

// The decoded picture formats the filter offers, in the order it offers them.
enum class FrameFormat { Yv12, Nv12, Rgb32 };

// One plane's rows: where they start in the source and the destination, how many bytes each
// row has, how many rows, and the step from one row to the next on each side (negative when
// the rows are laid out bottom-up).
struct PlaneCopy {
    int64_t SourceOffset = 0;
    int64_t DestinationOffset = 0;
    int64_t SourcePitch = 0;
    int64_t DestinationPitch = 0;
    uint32_t RowBytes = 0;
    uint32_t Rows = 0;
};

struct FrameCopy {
    PlaneCopy Planes[3];
    int Count = 0;
};

// Bytes per pixel of the first plane (1 for the 4:2:0 formats, 4 for RGB32).
uint32_t FirstPlaneBytesPerPixel(FrameFormat format);
// The smallest row pitch of the first plane for a picture this wide.
uint32_t MinimumPitch(FrameFormat format, uint32_t width);
// The bytes of a frame whose first plane has this pitch (the chroma planes follow it).
uint64_t FrameBytes(FrameFormat format, uint32_t width, uint32_t height, uint32_t pitch);
// The first plane's pitch that a bitmap header of this width describes (a renderer that
// wants a wider stride says so through biWidth).
uint32_t PitchFromBitmapWidth(FrameFormat format, int32_t bitmapWidth);

// How a frame moves from the reader's buffer into a sample whose first plane has pitch
// `destinationPitch`. The source's first plane has `sourceRows` rows (at least `height`: a
// decoder may pad the picture, as to 1088 rows for 1080), `sourcePitch` bytes apart (negative
// for a bottom-up RGB buffer, whose top row then lies last), and its chroma planes follow it,
// as in a Media Foundation buffer. Only the picture's `width` by `height` is copied. An RGB32
// destination described with a positive height is bottom-up: its rows are written in reverse.
FrameCopy LayOutFrameCopy(FrameFormat format, uint32_t width, uint32_t height, uint32_t sourceRows,
                          int64_t sourcePitch, uint32_t destinationPitch, bool destinationBottomUp);

// The picture's aspect ratio from its size and its pixels' aspect ratio, reduced.
struct AspectRatio {
    uint32_t X = 1, Y = 1;
};
AspectRatio PictureAspect(uint32_t width, uint32_t height, uint32_t pixelNumerator,
                          uint32_t pixelDenominator);

// Media Foundation and DirectShow both count 100 ns units; a graph's sample times count from
// the start of the segment (the last position sought), the reader's from the file's start.
int64_t StreamTime(int64_t readerTime, int64_t segmentStart);
// A sample that ends before the segment starts (decoded from the key frame before a sought
// position) is not delivered. A sample of unknown duration counts as lasting one unit.
bool EndsBeforeSegment(int64_t readerTime, int64_t duration, int64_t segmentStart);
// The time `offsetBytes` into a block of PCM audio that starts at `start`.
int64_t AudioTimeAt(int64_t start, uint64_t offsetBytes, uint32_t bytesPerSecond);
// The frame duration, in 100 ns, of a frame rate; 0 when the rate is unknown.
int64_t FrameDuration(uint32_t rateNumerator, uint32_t rateDenominator);
