// Placeholder until the name entry lands.
#include "screens/screens.h"

void NameEntryFrame() {}
