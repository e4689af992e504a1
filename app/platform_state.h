// Start-up state that needs the platform's types.
#pragma once
#include <windows.h>

extern HINSTANCE instanceHandle;

// Shows "ViewerMsg%d parameter not given" with the title as caption.
void ReportMissingViewerMsg(int ruleNumber, const char* title);
