#include "PinEnumerator.h"

#include <new>

CPinEnumerator* CPinEnumerator::Create(IPin* const* pins, size_t count, size_t position) {
    auto* enumerator = new (std::nothrow) CPinEnumerator;
    if (enumerator == nullptr)
        return nullptr;
    try {
        enumerator->m_pins.assign(pins, pins + count);
    } catch (const std::bad_alloc&) {
        delete enumerator;
        return nullptr;
    }
    enumerator->m_position = position;
    return enumerator;
}

STDMETHODIMP CPinEnumerator::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IEnumPins)) {
        *object = static_cast<IEnumPins*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CPinEnumerator::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CPinEnumerator::Release() {
    const LONG count = InterlockedDecrement(&m_refs);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CPinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (pins == nullptr || (count > 1 && fetched == nullptr))
        return E_POINTER;
    ULONG given = 0;
    while (given < count && m_position < m_pins.size()) {
        pins[given] = m_pins[m_position].Get();
        pins[given]->AddRef();
        ++given;
        ++m_position;
    }
    if (fetched != nullptr)
        *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP CPinEnumerator::Skip(ULONG count) {
    const size_t left = m_pins.size() - m_position;
    if (count > left) {
        m_position = m_pins.size();
        return S_FALSE;
    }
    m_position += count;
    return S_OK;
}

STDMETHODIMP CPinEnumerator::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CPinEnumerator::Clone(IEnumPins** clone) {
    if (clone == nullptr)
        return E_POINTER;
    static_assert(sizeof(Microsoft::WRL::ComPtr<IPin>) == sizeof(IPin*));
    *clone = Create(reinterpret_cast<IPin* const*>(m_pins.data()), m_pins.size(), m_position);
    return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
}
