// The name-entry screen: the prompt and the name as typed so far. The window procedure
// edits the name; this only draws it.
#include "display/display.h"
#include "screens/screens.h"

void NameEntryFrame() {
    BltFast(backBuffer, 0, 0, assetSurfaces.menu, nullptr, DDBLTFAST_WAIT);
    bitmapFont.DrawBitmapText(223, 200, "NAME EINGEBEN", 13);
    // Drawn from x = 313 - 7 x length, so the name grows to both sides of its start.
    bitmapFont.DrawBitmapText(nameEntry.x, nameEntry.y, nameEntry.name, nameEntry.length);
}
