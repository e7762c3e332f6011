// The logo screen: the logo on black.
#include "display/display.h"
#include "screens/screens.h"

void LogoFrame() {
    ColorFill(backBuffer, 0, DDBLT_COLORFILL | DDBLT_WAIT);
    BltFast(backBuffer, 120, 127, assetSurfaces.logo, nullptr, DDBLTFAST_WAIT);
}
