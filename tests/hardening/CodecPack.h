#pragma once
// A stand-in for a third-party codec pack: a DirectShow splitter for AVI files, of a merit
// above the system's own, in a DLL of its own folder that imports a helper DLL from that same
// folder, as packs ship theirs.
#include <windows.h>

// The filter's class, as the tests register it.
inline constexpr CLSID kCodecPackClsid = {
    0x6F1D5A2C, 0x3B7E, 0x4C9A, {0x9E, 0x41, 0x0D, 0x8B, 0x2F, 0x6A, 0x7C, 0x13}};
inline constexpr wchar_t kCodecPackClsidText[] = L"{6F1D5A2C-3B7E-4C9A-9E41-0D8B2F6A7C13}";
inline constexpr wchar_t kCodecPackFilterDll[] = L"orsetta_pack_filter.dll";
inline constexpr wchar_t kCodecPackHelperDll[] = L"orsetta_pack_helper.dll";

// From the helper DLL: a new filter object of the pack.
extern "C" HRESULT CodecPackMakeFilter(REFIID riid, void** object);
