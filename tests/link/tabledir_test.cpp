#include <gtest/gtest.h>

#include "link/tabledir.h"

// Offsets, counts, sizes and configuration flags exactly as the table directory lists them.
TEST(TableDirectory, EveryTableAsListed) {
    struct Row {
        int count, size, config;
        size_t offset;
    };
    const Row rows[kTableCount] = {
        {18, 1, 0, 0},     {0, 0, 0, 18},     {8, 1, 1, 18},     {4, 1, 1, 26},     {16, 22, 1, 30},
        {1, 20, 1, 382},   {10, 1, 1, 402},   {38, 1, 0, 412},   {2, 1, 0, 450},    {8, 1, 1, 452},
        {2, 4, 0, 460},    {2, 4, 0, 468},    {2, 4, 0, 476},    {16, 16, 1, 484},  {8, 1, 1, 740},
        {8, 1, 1, 748},    {18, 1, 0, 756},   {16, 1, 1, 774},   {16, 1, 1, 790},   {16, 1, 1, 806},
        {16, 1, 1, 822},   {20, 1, 1, 838},   {20, 4, 1, 858},   {20, 4, 1, 938},   {20, 4, 1, 1018},
        {20, 4, 1, 1098},  {20, 4, 1, 1178},  {3, 6, 0, 1258},   {2, 1, 1, 1276},   {7, 4, 1, 1278},
        {22, 4, 0, 1306},  {0, 0, 0, 1394},   {20, 1, 0, 1394},  {2, 1, 0, 1414},   {16, 1, 0, 1416},
        {16, 1, 0, 1432},  {27, 4, 0, 1448},  {7, 4, 0, 1556},
    };
    int configTables = 0;
    for (int t = 0; t < kTableCount; ++t) {
        const FieldLayoutEntry& e = FieldLayoutTable[t];
        EXPECT_EQ(e.fieldCount, rows[t].count) << t;
        EXPECT_EQ(e.fieldSize, rows[t].size) << t;
        EXPECT_EQ(e.isConfigTable, rows[t].config) << t;
        EXPECT_EQ(e.reserved, 0) << t;
        EXPECT_EQ(TableOffset(t), rows[t].offset) << t;
        if (rows[t].count)
            EXPECT_EQ(e.data, g_TableMemory + rows[t].offset) << t;
        else
            EXPECT_EQ(e.data, nullptr) << t;
        configTables += rows[t].config;
    }
    EXPECT_EQ(configTables, 21);
    EXPECT_EQ(TableOffset(37) + TableSize(37), kTableMemorySize);
}

TEST(TableDirectory, HelpersRefuseWhatIsNotThere) {
    EXPECT_EQ(TablePtr(-1), nullptr);
    EXPECT_EQ(TablePtr(38), nullptr);
    EXPECT_EQ(TablePtr(31), nullptr);
    EXPECT_EQ(TableSize(38), 0u);
    EXPECT_EQ(FieldPtr(4, 15), g_TableMemory + 30 + 15 * 22);
    EXPECT_EQ(FieldPtr(4, 16), nullptr);
    EXPECT_EQ(FieldPtr(1, 0), nullptr);
    EXPECT_TRUE(IsValidFieldRange(22, 0, 20));
    EXPECT_TRUE(IsValidFieldRange(22, 20, 0));
    EXPECT_FALSE(IsValidFieldRange(22, 19, 2));
    EXPECT_FALSE(IsValidFieldRange(40, 0, 0));
    // 245 / 16 and 229 / 16 fields of table 13 per read and per write.
    EXPECT_EQ(ReadChunkFields(13), 15);
    EXPECT_EQ(WriteChunkFields(13), 14);
    EXPECT_EQ(WriteChunkFields(4), 10);
    EXPECT_EQ(ReadChunkFields(1), 0);
}
