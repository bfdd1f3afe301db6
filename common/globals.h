// State shared by the whole program for the whole run.
#pragma once
#include <cstdint>
#include <string>

#include "common/uihooks.h"

extern uint8_t g_Connected;        // 1 while a connection to a controller is open
extern volatile uint8_t g_AbortAllowed;  // Esc may abort the running long reader
extern volatile uint8_t g_Abort;         // Esc was pressed while allowed
// The main window was closed while a command ran: the command ends without opening another
// window, and the program ends once it has returned.
extern volatile uint8_t g_Closing;
extern uint8_t g_MoisturePresent;  // the connected controller has a moisture analyser
extern uint8_t g_RestoreAndDisconnect;

// The program's folder with a trailing '/', and the settings file paths under INI.
extern std::string g_ProgDir;
// The one folder of the settings files (title.ini included) under the program folder:
// its name, and its path with a trailing '/'.
inline constexpr char kIniFolderName[] = "INI";
std::string IniFolderPath();
extern std::string g_SettingsIniPath;
extern std::string g_PhoneListIniPath;
extern std::string g_EthListIniPath;
extern std::string g_ObjectsIniPath;

// Status bars of the modem dialogue and of the connection forms (null without a window).
extern qvr::IStatusBar* g_StatusBar2;
extern qvr::IStatusBar* g_StatusBar3;
