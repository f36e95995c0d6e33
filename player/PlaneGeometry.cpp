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
