// The three records set up before the entry runs, defined together so that they are
// built in this order: the name field, the lettering (read from "font.des"), the table.
#include "display/display.h"
#include "screens/screens.h"

NameEntryField nameEntry = {{}, 0, 313, 250};

BitmapFont bitmapFont;
static const bool bitmapFontLoaded = (bitmapFont.Load("font.des"), true);

HighScoreTable highScoreTable;
static const bool highScoreTableCleared = (highScoreTable.Clear(), true);
