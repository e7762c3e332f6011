// Placeholder until the window procedure lands.
#include "app/app.h"

LRESULT GameWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProc(window, message, wParam, lParam);
}
