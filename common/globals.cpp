#include "common/globals.h"

uint8_t g_Connected = 0;
volatile uint8_t g_AbortAllowed = 0;
volatile uint8_t g_Abort = 0;
volatile uint8_t g_Closing = 0;
uint8_t g_MoisturePresent = 0;
uint8_t g_RestoreAndDisconnect = 0;

std::string g_ProgDir;
std::string g_SettingsIniPath;
std::string g_PhoneListIniPath;
std::string g_EthListIniPath;
std::string g_ObjectsIniPath;

std::string IniFolderPath() { return g_ProgDir + kIniFolderName + "/"; }

qvr::IStatusBar* g_StatusBar2 = nullptr;
qvr::IStatusBar* g_StatusBar3 = nullptr;
