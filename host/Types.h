// Basic host types. Widths follow the host's 32-bit build; values that carry
// pointers (event values, keys, handles) are pointer-sized here.
#pragma once
#include <cstddef>
#include <cstdint>

#define LQ_HOST_API __attribute__((visibility("default")))

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using LONG = std::int32_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using LPCTSTR = const char*;
using LPVOID = void*;

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
struct HWND__;
using HWND = HWND__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HICON__;
using HICON = HICON__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr UINT MB_OK = 0x00000000u;
constexpr int IDOK = 1;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
