// The description of the current link in the status bars: port and rate, controller
// address, and for a called site its name with its telephone number or IP address.
#pragma once
#include "common/uihooks.h"

// Writes panels 0 and 1 of `bar` and panel 0 of g_StatusBar2 from ConnSettings, then
// repaints `bar`. A null bar or a missing second bar is skipped.
void ShowConnectionStatus(qvr::IStatusBar* bar);
