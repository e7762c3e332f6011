// The display: a 640 x 480 picture made of a primary surface and one back buffer, shown
// by Flip. The SDL backend scales it into a full-screen window; the headless backend
// keeps the last flipped picture in memory.
#pragma once

#include <cstdint>

#include "platform/surface.h"
#include "platform/window.h"

struct DirectDraw;

#ifdef _WIN32
#include "platform/win32/system.h"
#else
constexpr uint32_t DDSCL_FULLSCREEN = 1;
constexpr uint32_t DDSCL_ALLOWREBOOT = 2;
constexpr uint32_t DDSCL_EXCLUSIVE = 16;
constexpr uint32_t DDSCL_ALLOWMODEX = 64;

constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

constexpr uint32_t DDFLIP_WAIT = 1;

#endif

HRESULT DirectDrawCreate(DirectDraw** directDraw);
HRESULT SetCooperativeLevel(DirectDraw* directDraw, HWND window, uint32_t flags);
HRESULT SetDisplayMode(DirectDraw* directDraw, int32_t width, int32_t height, int32_t bpp);
// The flipping primary surface with backBufferCount attached back buffers.
HRESULT CreatePrimarySurface(DirectDraw* directDraw, uint32_t caps, int32_t backBufferCount,
                             Surface** primary);
HRESULT GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached);
// An offscreen surface in the display's pixel format.
HRESULT CreateSurface(DirectDraw* directDraw, uint32_t caps, int32_t width, int32_t height,
                      Surface** surface);
// Shows the back buffer attached to primary.
HRESULT Flip(Surface* primary, Surface* override, uint32_t flags);

#ifndef _WIN32
// Shows or hides the system cursor; answers the new display count.
int ShowCursor(bool show);
#endif
