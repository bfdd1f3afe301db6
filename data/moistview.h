// What the moisture-analyser archive views show, without widgets: the caption from the
// set's period, the four heading lines of each value column by the analyser type, and the
// eight grid texts of one 5-minute record or one hourly/daily mean, formatted on demand
// from the raw records (which the views never change). Also the save request of a view.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "data/archformat.h"
#include "data/chromview.h"  // DataSaveRequest, SaveViewData

namespace qvr {

// The three views; the values are the print heading kinds of the data.
enum class MoistureViewKind : uint8_t { Hourly = 6, Daily = 7, Moment = 8 };

constexpr int kMoistureGridColumns = 8;
constexpr int kMoistureHeadingLines = 4;

// The kind of a view from the archive kind of the data (Wmt5Min, WmtHour, WmtDay).
MoistureViewKind MoistureViewKindOf(DataKind kind);
DataKind MoistureDataKind(MoistureViewKind kind);
size_t MoistureRecordSize(MoistureViewKind kind);

// Rows of a set: the header's record count, cut to the whole records actually given.
int MoistureRowCount(MoistureViewKind kind, const ArchiveFileHeader& header, size_t bytes);

// Window caption from the period in the header.
std::string MoistureCaption(MoistureViewKind kind, const ArchiveFileHeader& header);

// Heading line 0..3 of value column 0..3 (grid columns 4..7) for the analyser type
// (header byte 48).
std::string MoistureValueHeading(uint8_t moistureType, int valueColumn, int line);

// Fixed left headings (grid columns 0..3) of the view, up to three lines each.
std::array<std::string, 3> MoistureLeftHeading(MoistureViewKind kind, int column);

// Text of grid column 0..7 of one record (record: MoistureRecordSize bytes). A record
// whose CRC fails shows "     Данные" / " недостов." in columns 0 and 1 only.
std::string MoistureCell(MoistureViewKind kind, const uint8_t* record, int column);

// The save dialog set-up of a view: folder, filters and preselected filter, proposal.
DataSaveRequest MoistureSaveRequest(MoistureViewKind kind, uint8_t address, const std::tm& today);

}  // namespace qvr
