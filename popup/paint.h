// Drawing the popup: the logo, the information line with its underline and
// the status text.
#pragma once
#include <windows.h>

void PaintPopup(HDC dc);
