#include "PlaneGeometry.h"

#include <cmath>

KvMatrix* D3DXMatrixOrthoOffCenterLH(KvMatrix* out, float left, float right, float bottom,
                                     float top, float zNear, float zFar) {
    *out = KvMatrix{};
    out->m[0][0] = 2.0f / (right - left);
    out->m[1][1] = 2.0f / (top - bottom);
    out->m[2][2] = 1.0f / (zFar - zNear);
    out->m[3][0] = (left + right) / (left - right);
    out->m[3][1] = (top + bottom) / (bottom - top);
    out->m[3][2] = zNear / (zNear - zFar);
    out->m[3][3] = 1.0f;
    return out;
}

namespace {

KvVector3 Subtract(const KvVector3& a, const KvVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

KvVector3 Cross(const KvVector3& a, const KvVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const KvVector3& a, const KvVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A zero vector stays zero, as D3DXVec3Normalize leaves it.
KvVector3 Normalize(const KvVector3& a) {
    float length = std::sqrt(Dot(a, a));
    if (length == 0.0f) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {a.x / length, a.y / length, a.z / length};
}

} // namespace

KvMatrix* D3DXMatrixLookAtLH(KvMatrix* out, const KvVector3* eye, const KvVector3* at,
                             const KvVector3* up) {
    KvVector3 zaxis = Normalize(Subtract(*at, *eye));
    KvVector3 xaxis = Normalize(Cross(*up, zaxis));
    KvVector3 yaxis = Cross(zaxis, xaxis);
    *out = KvMatrix{};
    out->m[0][0] = xaxis.x;
    out->m[1][0] = xaxis.y;
    out->m[2][0] = xaxis.z;
    out->m[0][1] = yaxis.x;
    out->m[1][1] = yaxis.y;
    out->m[2][1] = yaxis.z;
    out->m[0][2] = zaxis.x;
    out->m[1][2] = zaxis.y;
    out->m[2][2] = zaxis.z;
    out->m[3][0] = -Dot(xaxis, *eye);
    out->m[3][1] = -Dot(yaxis, *eye);
    out->m[3][2] = -Dot(zaxis, *eye);
    out->m[3][3] = 1.0f;
    return out;
}

PictureSize FitPicture(int32_t width, int32_t height, int32_t cx, int32_t cy) {
    if (cx <= 0 || cy <= 0) {
        return {width, height};
    }
    // The products are formed in 64 bits so that large aspect values cannot overflow; every
    // result that fits in 32 bits is the same as the 32-bit computation's, and the drawn size
    // never exceeds the target.
    int64_t narrow = int64_t{width} * cy;
    int64_t tall = int64_t{height} * cx;
    if (narrow < tall) {
        return {width, static_cast<int32_t>(narrow / cx)};
    }
    return {static_cast<int32_t>(tall / cy), height};
}

namespace {

struct AxisLayout {
    int32_t Buffer, Picture, Size, TargetStart, TargetEnd;
};

// One axis: a target of t pixels, the picture fitted to f of them, centred, from a frame of s.
// A frame larger than its place goes into the buffer already shrunk to it, so that the buffer
// is never more than a few pixels larger than the target: Wine shows a swap chain whose buffer
// is much larger than its window wrongly (shrunk into the window's corner). A smaller frame
// goes in at its own size and the present stretches it.
// The margins reach at least a pixel past both edges of the target: rounding then never
// leaves an edge uncovered, and a present onto exactly the window's rectangle takes a much
// slower path in Wine's Direct3D (measured: about four times the CPU of the whole frame).
AxisLayout LayoutAxis(int32_t t, int32_t f, uint32_t s) {
    if (t <= 0 || f <= 0 || s == 0) {
        // No picture to show: one black pixel over the whole target.
        return {1, 1, 0, -1, (t > 0 ? t : 0) + 1};
    }
    const int32_t size = static_cast<int64_t>(s) < f ? static_cast<int32_t>(s) : f;
    const double scale = static_cast<double>(f) / size; // target pixels per buffer pixel
    const double start = (t - f) * 0.5;                 // the band before the picture
    // The margin of black buffer pixels that covers that band and a pixel more, stretched.
    const auto margin = static_cast<int32_t>(std::ceil((start + 1.0) / scale - 1e-9));
    const int32_t buffer = size + 2 * margin;
    // The span is the buffer's stretched size, rounded once: 1:1 stays 1:1.
    const auto first = static_cast<int32_t>(std::lround(start - margin * scale));
    return {buffer, margin, size, first, first + static_cast<int32_t>(std::lround(buffer * scale))};
}

} // namespace

PictureLayout LayoutPicture(int32_t width, int32_t height, uint32_t sw, uint32_t sh, int32_t cx,
                            int32_t cy) {
    const PictureSize fit = FitPicture(width, height, cx, cy);
    const AxisLayout x = LayoutAxis(width, fit.Width, sw);
    const AxisLayout y = LayoutAxis(height, fit.Height, sh);
    return {x.Buffer, y.Buffer,      x.Picture,     y.Picture,   x.Size,
            y.Size,   x.TargetStart, y.TargetStart, x.TargetEnd, y.TargetEnd};
}

void SetPlanePositions(PlaneVertex (&vertices)[PlaneVertexCount], PictureSize drawn) {
    float hx = static_cast<float>(drawn.Width) * 0.5f;
    float hy = static_cast<float>(drawn.Height) * 0.5f;
    vertices[0].x = -hx;
    vertices[0].y = hy;
    vertices[1].x = -hx;
    vertices[1].y = -hy;
    vertices[2].x = hx;
    vertices[2].y = hy;
    vertices[3].x = hx;
    vertices[3].y = -hy;
}

void SetPlaneTextureExtent(PlaneVertex (&vertices)[PlaneVertexCount], float u, float v) {
    vertices[0].u = 0.0f;
    vertices[0].v = 0.0f;
    vertices[1].u = 0.0f;
    vertices[1].v = v;
    vertices[2].u = u;
    vertices[2].v = 0.0f;
    vertices[3].u = u;
    vertices[3].v = v;
}

void ResetPlane(PlaneVertex (&vertices)[PlaneVertexCount]) {
    for (PlaneVertex& vertex : vertices) {
        vertex = PlaneVertex{};
    }
    SetPlaneTextureExtent(vertices, 1.0f, 1.0f);
}

uint32_t PowerOfTwoAtLeast(uint32_t n) {
    uint32_t p = 1;
    while (p < n && p < 0x80000000u) {
        p <<= 1;
    }
    return p;
}

PowerOfTwoSurface PowerOfTwoFor(uint32_t width, uint32_t height) {
    PowerOfTwoSurface s;
    s.Width = PowerOfTwoAtLeast(width);
    s.Height = PowerOfTwoAtLeast(height);
    s.U = static_cast<float>(static_cast<double>(width) / s.Width);
    s.V = static_cast<float>(static_cast<double>(height) / s.Height);
    return s;
}

KvMatrix PlaneProjection(int32_t width, int32_t height) {
    KvMatrix m;
    float halfWidth = static_cast<float>(width * 0.5);
    float halfHeight = static_cast<float>(height * 0.5);
    D3DXMatrixOrthoOffCenterLH(&m, -halfWidth, halfWidth, -halfHeight, halfHeight, 1.0f, 100.0f);
    return m;
}

KvMatrix PlaneView() {
    KvMatrix m;
    KvVector3 eye{0.0f, 0.0f, -50.0f};
    KvVector3 at{0.0f, 0.0f, 0.0f};
    KvVector3 up{0.0f, 1.0f, 0.0f};
    D3DXMatrixLookAtLH(&m, &eye, &at, &up);
    return m;
}
