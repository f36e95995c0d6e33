#pragma once
#include <cstdint>

// Geometry of the plane on which a video frame is drawn: values in, values out, no platform
// headers, so it also builds and is tested natively.

// Memory layout of D3DMATRIX/D3DXMATRIX: 4x4 floats, row major, row vectors (v * M).
struct KvMatrix {
    float m[4][4];
};

struct KvVector3 {
    float x, y, z;
};

// The two D3DX 9 matrix functions we use, after their published definitions (d3dx9 is not
// part of a clean Windows, so it is not linked). Both return out.
KvMatrix* D3DXMatrixOrthoOffCenterLH(KvMatrix* out, float left, float right, float bottom,
                                     float top, float zNear, float zFar);
KvMatrix* D3DXMatrixLookAtLH(KvMatrix* out, const KvVector3* eye, const KvVector3* at,
                             const KvVector3* up);

// One vertex of the plane: position and texture coordinates (fixed-function format
// XYZ | TEX1, 20 bytes).
struct PlaneVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(PlaneVertex) == 20, "vertex layout must match XYZ|TEX1");

inline constexpr uint32_t PlaneVertexFormat = 0x102; // D3DFVF_XYZ | D3DFVF_TEX1
inline constexpr int PlaneVertexCount = 4;
inline constexpr uint32_t PlaneVertexBytes = sizeof(PlaneVertex) * PlaneVertexCount;

struct PictureSize {
    int32_t Width;
    int32_t Height;
};

// The largest size of aspect ratio cx:cy that fits a target of width x height, computed in
// integers with truncating division. An aspect ratio with a part that is not positive has no
// shape of its own, so the picture then takes the target's shape.
PictureSize FitPicture(int32_t width, int32_t height, int32_t cx, int32_t cy);

// How a frame of surface size (sw, sh) is shown fitted into a target of width x height
// with the frame scaled only once on its way to the screen: put into a buffer with black
// margins (at its own size, or shrunk where it is larger than its place), and the buffer
// stretched onto the target so that the picture lands on its fitted rectangle (FitPicture,
// centred, within a pixel) and the margins cover the bands and reach past every edge of the
// target. The buffer is at most a few pixels larger than the target.
struct PictureLayout {
    int32_t BufferWidth; // the part of the buffer that is shown, from its top-left corner
    int32_t BufferHeight;
    int32_t PictureLeft; // where the frame goes in the buffer
    int32_t PictureTop;
    int32_t PictureWidth; // its size there: the frame's own, or less; 0 when nothing shows
    int32_t PictureHeight;
    int32_t TargetLeft; // where the shown part goes on the target, past its edges
    int32_t TargetTop;
    int32_t TargetRight;
    int32_t TargetBottom;
    bool operator==(const PictureLayout&) const = default;
};
PictureLayout LayoutPicture(int32_t width, int32_t height, uint32_t sw, uint32_t sh, int32_t cx,
                            int32_t cy);

// Vertices in triangle-strip order: top left, bottom left, top right, bottom right.
// Positions are centred on the origin, y upwards; one unit is one target pixel.
void SetPlanePositions(PlaneVertex (&vertices)[PlaneVertexCount], PictureSize drawn);
// Texture coordinates spanning (0, 0) .. (u, v); the texture's top row at the top.
void SetPlaneTextureExtent(PlaneVertex (&vertices)[PlaneVertexCount], float u, float v);
// A plane of size 0 with the full texture extent (1, 1).
void ResetPlane(PlaneVertex (&vertices)[PlaneVertexCount]);

// The smallest power of two not below n (0 and 1 give 1). Sizes past 2^31 have none in 32
// bits; they give 2^31, which no device can allocate anyway.
uint32_t PowerOfTwoAtLeast(uint32_t n);

// A surface request grown to power-of-two sizes, and the share of that surface that the
// picture covers.
struct PowerOfTwoSurface {
    uint32_t Width;
    uint32_t Height;
    float U;
    float V;
};
PowerOfTwoSurface PowerOfTwoFor(uint32_t width, uint32_t height);

// Projection and view that map scene point (x, y, 0) onto target pixel
// (width / 2 + x, height / 2 - y): an orthographic box centred on the origin, depth 1 .. 100,
// seen from 50 units in front.
KvMatrix PlaneProjection(int32_t width, int32_t height);
KvMatrix PlaneView();
