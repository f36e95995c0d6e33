#pragma once
// IEnumMediaTypes over copies of a fixed list of media types.
#include <windows.h>
#include <dshow.h>

#include <vector>

class CMediaTypeEnumerator : public IEnumMediaTypes {
public:
    // A new enumerator with one reference and its own copies, or null when out of memory.
    static CMediaTypeEnumerator* Create(const AM_MEDIA_TYPE* types, size_t count,
                                        size_t position = 0);

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** clone) override;

private:
    CMediaTypeEnumerator() = default;
    virtual ~CMediaTypeEnumerator();

    volatile LONG m_refs = 1;
    std::vector<AM_MEDIA_TYPE> m_types; // each owns its format block
    size_t m_position = 0;
};
