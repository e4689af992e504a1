// The one popup of a run.
#include "popup/popup_state.h"

PopupState popup;
