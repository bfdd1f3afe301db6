#include "params/flowcomputers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/conffun.h"
#include "link/tabledir.h"

namespace {

constexpr int kCountTable = 9;
constexpr int kPasswordTable = 13;
constexpr int kTypeTable = 17;
constexpr int kAddressTable = 18;
constexpr int kPipelinesTable = 19;
constexpr int kByteOrderTable = 20;
constexpr int kLinkTable = 34;
constexpr int kWritingTable = 35;

std::string Fmt(const char* format, int value) {
    char buf[80];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

bool Read(int table, int first, int count, qvr::IStatusBar* bar) {
    return ReadTableFields(TableRequest{uint8_t(table), uint8_t(first), uint8_t(count)}, bar, 1);
}

// Reads fields 0..n-1 of a one-byte-per-row table and keeps the 16 bytes as read.
bool ReadWithCopy(int table, int n, uint8_t* copy, qvr::IStatusBar* bar) {
    std::memset(copy, 0, kFlowComputerMax);
    if (!Read(table, 0, n, bar)) return false;
    std::memcpy(copy, TablePtr(table), kFlowComputerMax);
    return true;
}

}  // namespace

FlowComputerEntry FlowComputerFromBytes(const uint8_t* p) {
    FlowComputerEntry e;
    e.address = p[kFcAddressAt];
    e.type = p[kFcTypeAt];
    e.pipelines = p[kFcPipelinesAt];
    e.byteOrder = p[kFcByteOrderAt];
    std::memcpy(e.password, p + kFcPasswordAt, kFlowComputerPasswordSize);
    return e;
}

void FlowComputerToBytes(const FlowComputerEntry& e, uint8_t* p) {
    p[kFcAddressAt] = e.address;
    p[kFcTypeAt] = e.type;
    p[kFcPipelinesAt] = e.pipelines;
    p[kFcByteOrderAt] = e.byteOrder;
    std::memcpy(p + kFcPasswordAt, e.password, kFlowComputerPasswordSize);
}

FlowComputerEntry EmptyFlowComputer() {
    FlowComputerEntry e{};
    std::memset(e.password, ' ', sizeof e.password);
    return e;
}

int ClampFlowComputerCount(int n) { return std::clamp(n, 0, kFlowComputerMax); }

int ImageFlowComputerCount() { return ClampFlowComputerCount(TablePtr(kCountTable)[0]); }

uint8_t PipelineMask(int type) { return type == kFlowComputerSinglePipeType ? 0x01 : 0x07; }

bool CheckFlowComputerList(const FlowComputerEntry* rows, int count, FlowComputerMessage* message) {
    count = ClampFlowComputerCount(count);
    for (int i = 0; i < count; ++i) {
        const FlowComputerEntry& e = rows[i];
        if (e.address == 0 || e.address == 255 || e.type >= kFlowComputerTypeCount || e.byteOrder >= kByteOrderCount) {
            if (message) *message = {Fmt("Вычислитель № %d", i + 1), "Неверно заданы параметры"};
            return false;
        }
    }
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            if (rows[i].address == rows[j].address) {
                if (message) *message = {Fmt("Повтор адреса %d", rows[i].address), ""};
                return false;
            }
    return true;
}

bool DeleteFlowComputerRow(FlowComputerEntry* rows, uint8_t* sou, uint8_t* passwordSet, int& count, int row) {
    count = ClampFlowComputerCount(count);
    if (count <= 1 || row < 0 || row >= count) return false;
    for (int i = row; i + 1 < count; ++i) {
        rows[i] = rows[i + 1];
        sou[i] = sou[i + 1];
        passwordSet[i] = 1;
    }
    rows[count - 1] = EmptyFlowComputer();
    sou[count - 1] = 0;
    --count;
    return true;
}

void FlowComputerRowsFromImage(FlowComputerEntry* rows, int n) {
    n = ClampFlowComputerCount(n);
    for (int i = 0; i < kFlowComputerMax; ++i) {
        rows[i] = EmptyFlowComputer();
        if (i >= n) continue;
        rows[i].address = TablePtr(kAddressTable)[i];
        rows[i].type = TablePtr(kTypeTable)[i];
        rows[i].pipelines = TablePtr(kPipelinesTable)[i];
        rows[i].byteOrder = TablePtr(kByteOrderTable)[i];
    }
}

void FlowComputerRowsToImage(const FlowComputerEntry* rows, int count) {
    count = ClampFlowComputerCount(count);
    TablePtr(kCountTable)[0] = uint8_t(count);
    for (int i = 0; i < count; ++i) {
        TablePtr(kAddressTable)[i] = rows[i].address;
        TablePtr(kTypeTable)[i] = rows[i].type;
        TablePtr(kPipelinesTable)[i] = rows[i].pipelines;
        TablePtr(kByteOrderTable)[i] = rows[i].byteOrder;
        std::memcpy(FieldPtr(kPasswordTable, i), rows[i].password, kFlowComputerPasswordSize);
    }
}

bool ReadFlowComputerTables(FlowComputerTables* tables, qvr::IStatusBar* statusBar, bool readCount) {
    *tables = FlowComputerTables{};
    if (readCount && !Read(kCountTable, 0, 1, statusBar)) return false;
    tables->reportedCount = TablePtr(kCountTable)[0];
    tables->count = ClampFlowComputerCount(tables->reportedCount);
    const int n = tables->count;
    if (n == 0) return true;
    return ReadWithCopy(kTypeTable, n, tables->old17, statusBar) &&
           ReadWithCopy(kAddressTable, n, tables->old18, statusBar) &&
           ReadWithCopy(kPipelinesTable, n, tables->old19, statusBar) &&
           ReadWithCopy(kByteOrderTable, n, tables->old20, statusBar);
}

bool WriteFlowComputerTables(const FlowComputerTables& tables, const uint8_t* passwordSet, const uint8_t* oldTable9,
                             qvr::IStatusBar* statusBar) {
    const int count = ImageFlowComputerCount();
    if (oldTable9) {
        if (!WriteChangedFields(TableRequest{kCountTable, 0, uint8_t(FieldCount(kCountTable))}, oldTable9, statusBar))
            return false;
    } else if (count != tables.reportedCount) {
        if (!WriteTableFields(TableRequest{kCountTable, 0, 1}, statusBar, 1)) return false;
    }
    if (count == 0) return true;
    const struct {
        int table;
        const uint8_t* old;
    } rowTables[] = {{kTypeTable, tables.old17},
                     {kAddressTable, tables.old18},
                     {kPipelinesTable, tables.old19},
                     {kByteOrderTable, tables.old20}};
    for (const auto& t : rowTables) {
        // Rows added past those read have no old value: the controller's bytes there are
        // unknown, so they count as changed whatever the new row holds.
        uint8_t old[kFlowComputerMax];
        std::memcpy(old, t.old, sizeof old);
        for (int i = tables.count; i < count; ++i) old[i] = uint8_t(~TablePtr(t.table)[i]);
        if (!WriteChangedFields(TableRequest{uint8_t(t.table), 0, uint8_t(count)}, old, statusBar)) return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!passwordSet || !passwordSet[i]) continue;
        if (!WriteTableFields(TableRequest{kPasswordTable, uint8_t(i), 1}, statusBar, 1)) return false;
    }
    return true;
}

bool ReadFlowComputerStates(FlowComputerStateBlock* block, qvr::IStatusBar* statusBar) {
    std::memset(block, 0, sizeof *block);
    if (!Read(kCountTable, 0, 1, statusBar)) return false;
    const int n = ImageFlowComputerCount();
    if (n == 0) return true;
    if (!Read(kAddressTable, 0, n, statusBar) || !Read(kLinkTable, 0, n, statusBar) ||
        !Read(kWritingTable, 0, n, statusBar))
        return false;
    std::memcpy(block->address, TablePtr(kAddressTable), size_t(n));
    std::memcpy(block->linkPresent, TablePtr(kLinkTable), size_t(n));
    std::memcpy(block->writing, TablePtr(kWritingTable), size_t(n));
    return true;
}
