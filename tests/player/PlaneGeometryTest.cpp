#include "PlaneGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct FitCase {
    int32_t W, H, cx, cy, dw, dh;
};

TEST(PlaneGeometry, FitsThePictureWithBandsAndTruncates) {
    const FitCase cases[] = {
        {800, 600, 16, 9, 800, 450},  // narrower target: bands above and below
        {1280, 800, 4, 3, 1066, 800}, // wider target: 1066.67 truncated
        {640, 480, 4, 3, 640, 480},   // same shape fills the target
        {1280, 1024, 1600, 900, 1280, 720},
        {1023, 768, 4, 3, 1023, 767}, // odd target width, 767.25 truncated
        {320, 240, 0, 0, 320, 240},   // no shape: the target's own
        {320, 240, 0, 9, 320, 240},
        {320, 240, -4, 3, 320, 240},
        {0, 0, 16, 9, 0, 0}, // no back buffer read yet: nothing visible
        // Large aspect values must not overflow on the way.
        {1920, 1080, 2000000000, 1125000000, 1920, 1080},
    };
    for (const FitCase& c : cases) {
        PictureSize s = FitPicture(c.W, c.H, c.cx, c.cy);
        EXPECT_EQ(c.dw, s.Width) << c.W << "x" << c.H << " at " << c.cx << ":" << c.cy;
        EXPECT_EQ(c.dh, s.Height) << c.W << "x" << c.H << " at " << c.cx << ":" << c.cy;
    }
}

TEST(PlaneGeometry, VerticesRunInStripOrderAroundTheCentre) {
    PlaneVertex v[PlaneVertexCount];
    ResetPlane(v);
    SetPlanePositions(v, FitPicture(800, 600, 16, 9));
    const float expected[4][2] = {{-400, 225}, {-400, -225}, {400, 225}, {400, -225}};
    for (int i = 0; i < PlaneVertexCount; ++i) {
        EXPECT_EQ(expected[i][0], v[i].x) << i;
        EXPECT_EQ(expected[i][1], v[i].y) << i;
        EXPECT_EQ(0.0f, v[i].z) << i;
    }
    // Texture coordinates are untouched by positions: full extent, top row at the top.
    EXPECT_EQ(0.0f, v[0].u);
    EXPECT_EQ(0.0f, v[0].v);
    EXPECT_EQ(1.0f, v[3].u);
    EXPECT_EQ(1.0f, v[3].v);

    SetPlanePositions(v, {1067, 601});
    EXPECT_EQ(533.5f, v[3].x);
    EXPECT_EQ(-300.5f, v[3].y);

    SetPlaneTextureExtent(v, 0.703125f, 0.9375f);
    EXPECT_EQ(0.0f, v[0].u);
    EXPECT_EQ(0.0f, v[0].v);
    EXPECT_EQ(0.0f, v[1].u);
    EXPECT_EQ(0.9375f, v[1].v);
    EXPECT_EQ(0.703125f, v[2].u);
    EXPECT_EQ(0.0f, v[2].v);
    EXPECT_EQ(0.703125f, v[3].u);
    EXPECT_EQ(0.9375f, v[3].v);
    EXPECT_EQ(533.5f, v[3].x); // positions kept
}

TEST(PlaneGeometry, PowerOfTwoSizes) {
    const uint32_t sizes[][2] = {{512, 512},
                                 {513, 1024},
                                 {3, 4},
                                 {2, 2},
                                 {1, 1},
                                 {0, 1},
                                 {0x80000000u, 0x80000000u},
                                 {0x80000001u, 0x80000000u}};
    for (const auto& s : sizes) {
        EXPECT_EQ(s[1], PowerOfTwoAtLeast(s[0])) << s[0];
    }
    PowerOfTwoSurface p = PowerOfTwoFor(720, 480);
    EXPECT_EQ(1024u, p.Width);
    EXPECT_EQ(512u, p.Height);
    EXPECT_EQ(0.703125f, p.U);
    EXPECT_EQ(0.9375f, p.V);
    p = PowerOfTwoFor(512, 0);
    EXPECT_EQ(1.0f, p.U);
    EXPECT_EQ(0.0f, p.V);
}

// Where the layout puts one edge of the frame on the target, in target pixels.
double OnTarget(int32_t start, int32_t end, int32_t buffer, double at) {
    return start + at * (end - start) / buffer;
}

TEST(PlaneGeometry, LaysOutFramesOntoTheirFittedRectangleThroughASmallBuffer) {
    // One tile on 1280x1024 with a 640x360 clip: doubled, 76 margin rows make the 152 of a
    // band, one more on every side reaches past the target.
    EXPECT_EQ((PictureLayout{642, 514, 1, 77, 640, 360, -2, -2, 1282, 1026}),
              LayoutPicture(1280, 1024, 640, 360, 16, 9));
    EXPECT_EQ((PictureLayout{642, 362, 1, 1, 640, 360, -1, -1, 641, 361}),
              LayoutPicture(640, 360, 640, 360, 16, 9)); // fills: no stretch
    // Halved: shrunk into the buffer, shown 1:1 (a buffer twice the window's size is shown
    // wrongly by Wine).
    EXPECT_EQ((PictureLayout{322, 182, 1, 1, 320, 180, -1, -1, 321, 181}),
              LayoutPicture(320, 180, 640, 360, 0, 0)); // no shape: the target's own

    struct Case {
        int32_t W, H;
        uint32_t sw, sh;
        int32_t cx, cy;
    } cases[] = {
        {426, 341, 640, 360, 16, 9},  // nine tiles: shrunk, odd band sum
        {426, 341, 1280, 720, 16, 9}, // nine tiles of 720p
        {640, 512, 640, 360, 16, 9},  // four tiles: same scale
        {1280, 720, 640, 480, 4, 3},  // pillarbox
        {1023, 767, 720, 480, 16, 9}, // anamorphic frame, odd target: wider, not as tall
        {1920, 1200, 1920, 1088, 16, 9},
        {300, 1000, 1280, 720, 16, 9}, // tall target: wide bands above and below
        {2, 2, 1920, 1080, 16, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " frame " << c.sw << "x" << c.sh);
        const PictureLayout l = LayoutPicture(c.W, c.H, c.sw, c.sh, c.cx, c.cy);
        const PictureSize fit = FitPicture(c.W, c.H, c.cx, c.cy);
        // The frame goes in at its own size or shrunk to its place, inside the margins; the
        // buffer covers the whole target and is hardly larger.
        EXPECT_EQ(l.PictureWidth, std::min<int32_t>(c.sw, fit.Width));
        EXPECT_EQ(l.PictureHeight, std::min<int32_t>(c.sh, fit.Height));
        EXPECT_EQ(l.BufferWidth, l.PictureLeft * 2 + l.PictureWidth);
        EXPECT_EQ(l.BufferHeight, l.PictureTop * 2 + l.PictureHeight);
        EXPECT_LE(l.BufferWidth, c.W + 4);
        EXPECT_LE(l.BufferHeight, c.H + 4);
        EXPECT_LT(l.TargetLeft, 0);
        EXPECT_LT(l.TargetTop, 0);
        EXPECT_GT(l.TargetRight, c.W);
        EXPECT_GT(l.TargetBottom, c.H);
        // The frame lands on its fitted rectangle, centred as the plane is, within a pixel.
        const double left = (c.W - fit.Width) * 0.5, top = (c.H - fit.Height) * 0.5;
        EXPECT_NEAR(left, OnTarget(l.TargetLeft, l.TargetRight, l.BufferWidth, l.PictureLeft), 1.0);
        EXPECT_NEAR(
            left + fit.Width,
            OnTarget(l.TargetLeft, l.TargetRight, l.BufferWidth, l.PictureLeft + l.PictureWidth),
            1.0);
        EXPECT_NEAR(top, OnTarget(l.TargetTop, l.TargetBottom, l.BufferHeight, l.PictureTop), 1.0);
        EXPECT_NEAR(
            top + fit.Height,
            OnTarget(l.TargetTop, l.TargetBottom, l.BufferHeight, l.PictureTop + l.PictureHeight),
            1.0);
    }

    // Nothing of the picture fits: a black pixel covers the target, no frame goes in.
    const PictureLayout none = LayoutPicture(320, 240, 640, 360, 100000, 1);
    EXPECT_EQ(1, none.BufferHeight);
    EXPECT_EQ(0, none.PictureHeight);
    EXPECT_EQ(-1, none.TargetTop);
    EXPECT_EQ(241, none.TargetBottom);
}

void ExpectMatrix(const float (&expected)[4][4], const KvMatrix& m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(expected[r][c], m.m[r][c]) << "row " << r << " column " << c;
        }
    }
}

// (x, y, z, 1) * m
void Transform(const KvMatrix& m, const float (&p)[4], float (&out)[4]) {
    for (int c = 0; c < 4; ++c) {
        out[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + p[3] * m.m[3][c];
    }
}

TEST(PlaneGeometry, MatricesMatchHandWorkedValues) {
    KvMatrix m;
    // Off-centre box l=-2, r=6, b=-1, t=3, n=1, f=5.
    EXPECT_EQ(&m, D3DXMatrixOrthoOffCenterLH(&m, -2, 6, -1, 3, 1, 5));
    ExpectMatrix({{0.25f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.25f, 0}, {-0.5f, -0.5f, -0.25f, 1}},
                 m);

    // Eye on the x axis looking at the origin, y up: the view's z axis is -x.
    KvVector3 eye{10, 0, 0}, at{0, 0, 0}, up{0, 1, 0};
    EXPECT_EQ(&m, D3DXMatrixLookAtLH(&m, &eye, &at, &up));
    ExpectMatrix({{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}}, m);

    // The scene's own: a 1024x768 target, 1..100 deep, eye 50 in front.
    ExpectMatrix({{2.0f / 1024, 0, 0, 0},
                  {0, 2.0f / 768, 0, 0},
                  {0, 0, 1.0f / 99, 0},
                  {0, 0, -1.0f / 99, 1}},
                 PlaneProjection(1024, 768));
    ExpectMatrix({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 50, 1}}, PlaneView());
}

TEST(PlaneGeometry, ScenePointLandsOnItsTargetPixel) {
    // (x, y, 0) must reach pixel (W/2 + x, H/2 - y): check through view and projection.
    KvMatrix view = PlaneView(), projection = PlaneProjection(1024, 768);
    const float point[4] = {-512, 384, 0, 1};
    float v[4], clip[4];
    Transform(view, point, v);
    Transform(projection, v, clip);
    EXPECT_FLOAT_EQ(-1.0f, clip[0]); // left edge
    EXPECT_FLOAT_EQ(1.0f, clip[1]);  // top edge
    EXPECT_GT(clip[2], 0.0f);        // inside the depth range
    EXPECT_LT(clip[2], 1.0f);
    EXPECT_FLOAT_EQ(1.0f, clip[3]);
}

} // namespace
