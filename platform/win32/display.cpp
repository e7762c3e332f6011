// DirectDraw itself: the exclusive full-screen display, its flipping chain and the
// offscreen pictures, each call passed to the first-version interfaces as it stands.
#include "platform/display.h"

#include <new>

#include "platform/common/recorder.h"
#include "platform/gdi.h"
#include "platform/surface.h"

struct DirectDraw {
    IDirectDraw* object;
};

struct Surface {
    IDirectDrawSurface* object;
    int32_t width;
    int32_t height;
};

namespace {

DirectDraw theDirectDraw;

Surface* Wrap(IDirectDrawSurface* object) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    object->GetSurfaceDesc(&desc);
    auto* surface = new (std::nothrow)
        Surface{object, static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight)};
    if (!surface) object->Release();
    return surface;
}

}  // namespace

HRESULT DirectDrawCreate(DirectDraw** directDraw) {
    HRESULT result = DirectDrawCreate(nullptr, &theDirectDraw.object, nullptr);
    if (result == DD_OK) *directDraw = &theDirectDraw;
    return result;
}

HRESULT SetCooperativeLevel(DirectDraw* directDraw, HWND window, uint32_t flags) {
    return directDraw->object->SetCooperativeLevel(window, flags);
}

HRESULT SetDisplayMode(DirectDraw* directDraw, int32_t width, int32_t height, int32_t bpp) {
    return directDraw->object->SetDisplayMode(width, height, bpp);
}

HRESULT CreatePrimarySurface(DirectDraw* directDraw, uint32_t caps, int32_t backBufferCount,
                             Surface** primary) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = caps;
    desc.dwBackBufferCount = backBufferCount;
    IDirectDrawSurface* object = nullptr;
    HRESULT result = directDraw->object->CreateSurface(&desc, &object, nullptr);
    if (result != DD_OK) return result;
    *primary = Wrap(object);
    return *primary ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
    DDSCAPS wanted = {caps};
    IDirectDrawSurface* object = nullptr;
    HRESULT result = primary->object->GetAttachedSurface(&wanted, &object);
    if (result != DD_OK) return result;
    *attached = Wrap(object);
    return *attached ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT CreateSurface(DirectDraw* directDraw, uint32_t caps, int32_t width, int32_t height,
                      Surface** surface) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = width;
    desc.dwHeight = height;
    IDirectDrawSurface* object = nullptr;
    HRESULT result = directDraw->object->CreateSurface(&desc, &object, nullptr);
    if (result != DD_OK) return result;
    *surface = Wrap(object);
    return *surface ? DD_OK : DDERR_OUTOFMEMORY;
}

// Every frame the game drew is a moment of its recording, shown or lost.
HRESULT Flip(Surface* primary, Surface* override, uint32_t flags) {
    HRESULT result = primary->object->Flip(override ? override->object : nullptr, flags);
    RecordFrameShown();
    return result;
}

void ReleaseSurface(Surface* surface) {
    if (!surface) return;
    surface->object->Release();
    delete surface;
}

int32_t SurfaceWidth(const Surface* surface) {
    return surface ? surface->width : 0;
}
int32_t SurfaceHeight(const Surface* surface) {
    return surface ? surface->height : 0;
}

HRESULT BltFast(Surface* dst, int32_t x, int32_t y, Surface* src, const RECT* srcRect,
                uint32_t flags) {
    if (!dst || !src) return DDERR_INVALIDPARAMS;
    return dst->object->BltFast(x, y, src->object, const_cast<RECT*>(srcRect), flags);
}

HRESULT ColorFill(Surface* dst, uint32_t fillColor, uint32_t flags) {
    if (!dst) return DDERR_INVALIDPARAMS;
    DDBLTFX effects = {};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = fillColor;
    return dst->object->Blt(nullptr, nullptr, nullptr, flags, &effects);
}

HRESULT SetColorKey(Surface* surface, uint32_t flags, const DDCOLORKEY* key) {
    if (!surface) return DDERR_INVALIDPARAMS;
    return surface->object->SetColorKey(flags, const_cast<DDCOLORKEY*>(key));
}

bool GetColorKey(const Surface* surface, DDCOLORKEY* key) {
    return surface && surface->object->GetColorKey(DDCKEY_SRCBLT, key) == DD_OK;
}

HRESULT Lock(Surface* surface, SurfaceLock* lock) {
    if (!surface || !lock) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    HRESULT result = surface->object->Lock(nullptr, &desc, 0, nullptr);
    if (result != DD_OK) return result;
    *lock = SurfaceLock{desc.lpSurface, static_cast<int32_t>(desc.lPitch),
                        static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight),
                        static_cast<uint32_t>(desc.ddpfPixelFormat.dwRGBBitCount)};
    return DD_OK;
}

HRESULT Unlock(Surface* surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    return surface->object->Unlock(nullptr);
}

HRESULT Restore(Surface* surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    return surface->object->Restore();
}

HRESULT GetDC(Surface* surface, HDC* dc) {
    if (!surface || !dc) return DDERR_INVALIDPARAMS;
    return surface->object->GetDC(dc);
}

HRESULT ReleaseDC(Surface* surface, HDC dc) {
    if (!surface) return DDERR_INVALIDPARAMS;
    return surface->object->ReleaseDC(dc);
}
