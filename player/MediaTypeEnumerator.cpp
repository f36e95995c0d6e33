#include "MediaTypeEnumerator.h"

#include <new>

#include "MediaTypes.h"

CMediaTypeEnumerator* CMediaTypeEnumerator::Create(const AM_MEDIA_TYPE* types, size_t count,
                                                   size_t position) {
    auto* enumerator = new (std::nothrow) CMediaTypeEnumerator;
    if (enumerator == nullptr)
        return nullptr;
    try {
        enumerator->m_types.reserve(count);
    } catch (const std::bad_alloc&) {
        enumerator->Release();
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i) {
        AM_MEDIA_TYPE copy;
        if (!CopyMediaType(&copy, types[i])) {
            enumerator->Release();
            return nullptr;
        }
        enumerator->m_types.push_back(copy); // reserved: cannot throw
    }
    enumerator->m_position = position;
    return enumerator;
}

CMediaTypeEnumerator::~CMediaTypeEnumerator() {
    for (AM_MEDIA_TYPE& type : m_types)
        ClearMediaType(&type);
}

STDMETHODIMP CMediaTypeEnumerator::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IEnumMediaTypes)) {
        *object = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CMediaTypeEnumerator::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CMediaTypeEnumerator::Release() {
    const LONG count = InterlockedDecrement(&m_refs);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CMediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (types == nullptr || (count > 1 && fetched == nullptr))
        return E_POINTER;
    ULONG given = 0;
    while (given < count && m_position < m_types.size()) {
        auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (type == nullptr || !CopyMediaType(type, m_types[m_position])) {
            CoTaskMemFree(type);
            break;
        }
        types[given++] = type;
        ++m_position;
    }
    if (fetched != nullptr)
        *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaTypeEnumerator::Skip(ULONG count) {
    const size_t left = m_types.size() - m_position;
    if (count > left) {
        m_position = m_types.size();
        return S_FALSE;
    }
    m_position += count;
    return S_OK;
}

STDMETHODIMP CMediaTypeEnumerator::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CMediaTypeEnumerator::Clone(IEnumMediaTypes** clone) {
    if (clone == nullptr)
        return E_POINTER;
    *clone = Create(m_types.data(), m_types.size(), m_position);
    return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
}
