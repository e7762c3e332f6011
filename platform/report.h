// The one way the game tells the player why it cannot go on, or why something it tried
// failed: a line on stderr, or a message box where a program has no console.
#pragma once

// Says "Sidescroller: " and the text, as one line on stderr.
void ReportProblem(const char* text);
// The same for a failure that ends the program; on a system without a console the player
// sees it in a message box.
void ReportFatal(const char* text);
