#pragma once
#include "CWnd.h"

// Paints a saver window black and, when there is one, a message in white: centred, from
// the top edge, wrapped at word breaks.
void PaintStatus(CWnd* wnd, const wchar_t* message);
