// Result codes of the component model. The numbers are the well-known ones of COM, so that a code read in
// a log or a test means what it always meant; the names are ours.
#pragma once

#include <cstdint>

namespace component {

using HResult = std::int32_t;

inline constexpr HResult code(std::uint32_t value)
{
    return static_cast<HResult>(value);
}

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOTIMPL = code(0x80004001);
inline constexpr HResult E_NOINTERFACE = code(0x80004002);
inline constexpr HResult E_POINTER = code(0x80004003);
inline constexpr HResult E_FAIL = code(0x80004005);
inline constexpr HResult E_UNEXPECTED = code(0x8000FFFF);
inline constexpr HResult E_OUTOFMEMORY = code(0x8007000E);
inline constexpr HResult E_INVALIDARG = code(0x80070057);
inline constexpr HResult CLASS_E_NOAGGREGATION = code(0x80040110);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = code(0x80040111);
inline constexpr HResult REGDB_E_CLASSNOTREG = code(0x80040154);
inline constexpr HResult CO_E_DLLNOTFOUND = code(0x800401F8);
inline constexpr HResult CO_E_ERRORINDLL = code(0x800401F9);
inline constexpr HResult SELFREG_E_TYPELIB = code(0x80040200);
inline constexpr HResult SELFREG_E_CLASS = code(0x80040201);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = code(0x80020003);
inline constexpr HResult DISP_E_TYPEMISMATCH = code(0x80020005);
inline constexpr HResult DISP_E_OVERFLOW = code(0x8002000A);
inline constexpr HResult DISP_E_BADPARAMCOUNT = code(0x8002000E);

inline constexpr bool succeeded(HResult hr)
{
    return hr >= 0;
}
inline constexpr bool failed(HResult hr)
{
    return hr < 0;
}

} // namespace component
