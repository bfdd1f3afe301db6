// Fixed display texts shown by a code: table names, units, months, weekdays, gas-parameter
// names, zones, fault and event texts, device types, access levels. Every text is UTF-8 and
// exact to the blank. The arrays are filled by InitStringTable (it also runs once before
// main, so no reader ever meets an empty entry) and only read afterwards. Readers check the
// range of a code that comes from the controller before indexing.
#pragma once

namespace qvr {
void InitStringTable();
}  // namespace qvr

// controller table number 0..37 (31 and 37 have no name)
constexpr int kConfigTableNamesCount = 38;
extern const char* ConfigTableNames[kConfigTableNamesCount];
// unit code of an intervention-log record (0 has none)
constexpr int kMeasureUnitNamesCount = 37;
extern const char* MeasureUnitNames[kMeasureUnitNamesCount];
// 0 = no switching, 1..12 = month
constexpr int kMonthNamesCount = 13;
extern const char* MonthNames[kMonthNamesCount];
// month - 1
constexpr int kMonthNamesGenitiveCount = 12;
extern const char* MonthNamesGenitive[kMonthNamesGenitiveCount];
// week of a daylight-saving rule: first, second, third, last but one, last
constexpr int kWeekOrdinalNamesCount = 5;
extern const char* WeekOrdinalNames[kWeekOrdinalNamesCount];
// weekday - 1, Sunday first
constexpr int kWeekDayNamesCount = 7;
extern const char* WeekDayNames[kWeekDayNamesCount];
// weekday - 1, Sunday first
constexpr int kWeekDayShortNamesCount = 7;
extern const char* WeekDayShortNames[kWeekDayShortNamesCount];
// 0 summer, 1 winter
constexpr int kTimeSeasonNamesCount = 2;
extern const char* TimeSeasonNames[kTimeSeasonNamesCount];
// object number of a diagnostic record of event code 4
constexpr int kArchiveKindNamesCount = 10;
extern const char* ArchiveKindNames[kArchiveKindNamesCount];
// MODBUS mode of the chromatograph and moisture-analyser links
constexpr int kModbusModeNamesCount = 2;
extern const char* ModbusModeNames[kModbusModeNamesCount];
// parity of the chromatograph and moisture-analyser links
constexpr int kParityNamesCount = 5;
extern const char* ParityNames[kParityNamesCount];
// gas-parameter write mode
constexpr int kGasWriteModeNamesCount = 4;
extern const char* GasWriteModeNames[kGasWriteModeNamesCount];
// byte order of a flow computer
constexpr int kByteOrderNamesCount = 2;
extern const char* ByteOrderNames[kByteOrderNamesCount];
// zone of a gas parameter
constexpr int kZoneNamesCount = 5;
extern const char* ZoneNames[kZoneNamesCount];
// gas-parameter index
constexpr int kGasParamShortNamesCount = 20;
extern const char* GasParamShortNames[kGasParamShortNamesCount];
// gas-parameter index, fractions as molar fractions
constexpr int kGasParamNamesMolarCount = 20;
extern const char* GasParamNamesMolar[kGasParamNamesMolarCount];
// gas-parameter index, fractions as volume fractions
constexpr int kGasParamNamesVolumeCount = 20;
extern const char* GasParamNamesVolume[kGasParamNamesVolumeCount];
// chromatograph fault number (6 and 7 are not shown)
constexpr int kChromFaultNamesCount = 18;
extern const char* ChromFaultNames[kChromFaultNamesCount];
// status bit 0..15 of the moisture analyser
constexpr int kMoistureStatusBitNamesCount = 16;
extern const char* MoistureStatusBitNames[kMoistureStatusBitNamesCount];
// moisture-analyser event number
constexpr int kMoistureEventNamesCount = 8;
extern const char* MoistureEventNames[kMoistureEventNamesCount];
// chromatograph type code; 9 is the serviced chromatograph
constexpr int kChromTypeNamesCount = 10;
extern const char* ChromTypeNames[kChromTypeNamesCount];
// moisture-analyser type code
constexpr int kMoistureTypeNamesCount = 3;
extern const char* MoistureTypeNames[kMoistureTypeNamesCount];
// flow-computer type code
constexpr int kFlowComputerTypeNamesCount = 4;
extern const char* FlowComputerTypeNames[kFlowComputerTypeNamesCount];
// send mode of a gas parameter
constexpr int kSendModeNamesCount = 3;
extern const char* SendModeNames[kSendModeNamesCount];
// diagnostic event code 0..81
constexpr int kDiagEventTextsCount = 82;
extern const char* DiagEventTexts[kDiagEventTextsCount];
// access level 0..4
constexpr int kUserLevelNamesCount = 5;
extern const char* UserLevelNames[kUserLevelNamesCount];