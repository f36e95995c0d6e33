// The Media Foundation source filter's own rules: which RenderFile results hand a file to it,
// where a frame's planes go for the stride the renderer wants, and its times.
#include <gtest/gtest.h>

#include "SourceReaderRules.h"

namespace {

TEST(SourceReaderRules, OnlyNoFilterResultsFallBack) {
    EXPECT_TRUE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80040218))); // cannot render
    EXPECT_TRUE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80040265))); // unsupported
    EXPECT_TRUE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80040240))); // unknown type
    EXPECT_TRUE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80040207))); // no types
    EXPECT_TRUE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80040241))); // no source
    EXPECT_FALSE(FallsBackToMediaFoundation(0));                               // rendered
    EXPECT_FALSE(FallsBackToMediaFoundation(0x00040242)); // partly rendered (no sound device)
    EXPECT_FALSE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80070002))); // not found
    EXPECT_FALSE(FallsBackToMediaFoundation(static_cast<int32_t>(0x80070005))); // no access
    EXPECT_FALSE(FallsBackToMediaFoundation(static_cast<int32_t>(0x8007000E))); // no memory
}

// A 320x240 YV12 frame from a buffer of pitch 320 into a sample whose renderer asked for a
// pitch of 384: Y, then V, then U, each plane's rows at the new pitch.
TEST(SourceReaderRules, Yv12PlanesFollowTheRenderersStride) {
    const FrameCopy copy = LayOutFrameCopy(FrameFormat::Yv12, 320, 240, 240, 320, 384, false);
    ASSERT_EQ(copy.Count, 3);
    EXPECT_EQ(copy.Planes[0].DestinationPitch, 384);
    EXPECT_EQ(copy.Planes[0].RowBytes, 320u);
    EXPECT_EQ(copy.Planes[0].Rows, 240u);
    EXPECT_EQ(copy.Planes[1].SourceOffset, 320 * 240);
    EXPECT_EQ(copy.Planes[1].DestinationOffset, 384 * 240);
    EXPECT_EQ(copy.Planes[1].DestinationPitch, 192);
    EXPECT_EQ(copy.Planes[1].RowBytes, 160u);
    EXPECT_EQ(copy.Planes[2].SourceOffset, 320 * 240 + 160 * 120);
    EXPECT_EQ(copy.Planes[2].DestinationOffset, 384 * 240 + 192 * 120);
    EXPECT_EQ(copy.Planes[2].Rows, 120u);
    EXPECT_EQ(FrameBytes(FrameFormat::Yv12, 320, 240, 384), 384u * 240 * 3 / 2);
}

// 1080 rows shown out of a decoder's 1088: the chroma planes start below all 1088 rows of the
// source, and below the 1080 of the destination.
TEST(SourceReaderRules, PaddedRowsOfTheDecoderAreLeftOut) {
    const FrameCopy copy = LayOutFrameCopy(FrameFormat::Yv12, 1920, 1080, 1088, 1920, 1920, false);
    ASSERT_EQ(copy.Count, 3);
    EXPECT_EQ(copy.Planes[0].Rows, 1080u);
    EXPECT_EQ(copy.Planes[1].SourceOffset, 1920 * 1088);
    EXPECT_EQ(copy.Planes[1].DestinationOffset, 1920 * 1080);
    EXPECT_EQ(copy.Planes[1].Rows, 540u);
    EXPECT_EQ(copy.Planes[2].SourceOffset, 1920 * 1088 + 960 * 544);
    EXPECT_EQ(copy.Planes[2].DestinationOffset, 1920 * 1080 + 960 * 540);
    const FrameCopy nv12 = LayOutFrameCopy(FrameFormat::Nv12, 1920, 1080, 1088, 2048, 1920, false);
    EXPECT_EQ(nv12.Planes[1].SourceOffset, 2048 * 1088);
    EXPECT_EQ(nv12.Planes[1].SourcePitch, 2048);
}

TEST(SourceReaderRules, OddSizesKeepTheirLastChromaRowAndColumn) {
    const FrameCopy copy = LayOutFrameCopy(FrameFormat::Nv12, 181, 101, 101, 192, 192, false);
    ASSERT_EQ(copy.Count, 2);
    EXPECT_EQ(copy.Planes[1].RowBytes, 182u); // 91 pairs
    EXPECT_EQ(copy.Planes[1].Rows, 51u);
    EXPECT_EQ(MinimumPitch(FrameFormat::Yv12, 181), 182u);
    EXPECT_EQ(FrameBytes(FrameFormat::Nv12, 181, 101, 192), 192u * 101 + 192u * 51);
}

// RGB32 described with a positive height is bottom-up: the reader's top row goes last.
TEST(SourceReaderRules, Rgb32IntoABottomUpSampleIsFlipped) {
    const FrameCopy flipped = LayOutFrameCopy(FrameFormat::Rgb32, 100, 50, 50, 400, 512, true);
    ASSERT_EQ(flipped.Count, 1);
    EXPECT_EQ(flipped.Planes[0].DestinationOffset, 512 * 49);
    EXPECT_EQ(flipped.Planes[0].DestinationPitch, -512);
    EXPECT_EQ(flipped.Planes[0].RowBytes, 400u);
    const FrameCopy straight = LayOutFrameCopy(FrameFormat::Rgb32, 100, 50, 50, 400, 512, false);
    EXPECT_EQ(straight.Planes[0].DestinationOffset, 0);
    EXPECT_EQ(straight.Planes[0].DestinationPitch, 512);
    EXPECT_EQ(PitchFromBitmapWidth(FrameFormat::Rgb32, 128), 512u);
    EXPECT_EQ(PitchFromBitmapWidth(FrameFormat::Yv12, 384), 384u);
}

TEST(SourceReaderRules, PictureAspectFromPixelAspect) {
    const AspectRatio square = PictureAspect(320, 240, 1, 1);
    EXPECT_EQ(square.X, 4u);
    EXPECT_EQ(square.Y, 3u);
    const AspectRatio anamorphic = PictureAspect(720, 576, 64, 45); // PAL 16:9
    EXPECT_EQ(anamorphic.X, 16u);
    EXPECT_EQ(anamorphic.Y, 9u);
    const AspectRatio unknown = PictureAspect(1920, 1080, 0, 0);
    EXPECT_EQ(unknown.X, 16u);
    EXPECT_EQ(unknown.Y, 9u);
}

TEST(SourceReaderRules, TimesCountFromTheSegmentStart) {
    EXPECT_EQ(StreamTime(35'000'000, 30'000'000), 5'000'000);
    // After a seek to 3 s the frames decoded from the key frame before it are left out, the
    // one that spans 3 s is kept.
    EXPECT_TRUE(EndsBeforeSegment(29'200'000, 400'000, 30'000'000));
    EXPECT_FALSE(EndsBeforeSegment(29'800'000, 400'000, 30'000'000));
    EXPECT_TRUE(EndsBeforeSegment(29'999'999, 0, 30'000'000));
    EXPECT_FALSE(EndsBeforeSegment(30'000'000, 0, 30'000'000));
    // 44.1 kHz stereo 16-bit: 176400 bytes a second.
    EXPECT_EQ(AudioTimeAt(1'000'000, 17'640, 176'400), 2'000'000);
    EXPECT_EQ(AudioTimeAt(1'000'000, 17'640, 0), 1'000'000);
    EXPECT_EQ(FrameDuration(25, 1), 400'000);
    EXPECT_EQ(FrameDuration(30000, 1001), 333'666);
    EXPECT_EQ(FrameDuration(0, 1), 0);
}

} // namespace
