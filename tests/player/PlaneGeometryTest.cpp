#include "PlaneGeometry.h"

#include <gtest/gtest.h>

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
