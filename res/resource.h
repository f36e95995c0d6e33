#pragma once
// Resource ids shared by the resource script and the code.

// Saver: the transparent cursor of the host and its tiles.
#define IDC_BLANK 129
