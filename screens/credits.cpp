// Placeholder until the credits pages land.
#include "screens/screens.h"

void CreditsFrame() {}
