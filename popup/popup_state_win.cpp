// The one popup of a run.
#include "popup/popup_state.h"

#include <cstring>
#include <utility>

#include "settings/run_state.h"

PopupState popup;

void PopupGraphics::Release() {
    logo.Release();
    backgroundBrush.Reset();
    infoPen.Reset();
    infoFont.Reset();
    statusFont.Reset();
    buttonFont.Reset();
}

void SetPopupText(const char* text) {
    if (!text) text = run.statusText ? run.statusText.get() : "";
    popup.popupText = text;
    popup.popupTextLength = std::strlen(text);
}

void SetPopupText(HeapText text) {
    if (!text) return;
    SetPopupText(text.get());
    popup.ownedText = std::move(text);
}
