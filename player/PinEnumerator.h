#pragma once
// IEnumPins over a fixed list of pins (a filter's pins never change).
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <vector>

class CPinEnumerator : public IEnumPins {
public:
    // A new enumerator with one reference, or null when out of memory.
    static CPinEnumerator* Create(IPin* const* pins, size_t count, size_t position = 0);

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** clone) override;

private:
    CPinEnumerator() = default;
    virtual ~CPinEnumerator() = default;

    volatile LONG m_refs = 1;
    std::vector<Microsoft::WRL::ComPtr<IPin>> m_pins;
    size_t m_position = 0;
};
