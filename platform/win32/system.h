// The Windows build uses the system's own declarations wherever the game calls a system
// function by its name: windows, messages, GDI, the multimedia clock, music and sound, and
// DirectDraw's types and constants.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h brings these in already; named here because the game depends on them.
#include <mmsystem.h>
// After windows.h, which it needs.
#include <ddraw.h>
