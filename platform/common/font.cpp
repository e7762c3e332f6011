// Placeholder until the font renderer lands.
#include "platform/gdi.h"

Font* CreateFont(int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, uint32_t,
                 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, const char*) {
    return nullptr;
}
bool TextOut(DeviceContext*, int32_t, int32_t, const char*, int32_t) {
    return false;
}
