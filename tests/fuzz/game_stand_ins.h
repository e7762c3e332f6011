// What the whole-game fuzzer stands in for: the pictures and the music read once a run, not
// once an input, and a back buffer and screen whose drawing is checked but not painted. The
// link wraps (-Wl,--wrap) the calls named in game_stand_ins.cpp.
#pragma once

// Puts back what an input changed of the pictures, so that every input starts from the
// pictures as their files make them.
void RepairPictures();
