// Display orders of the gas parameters: which GasAnalysis index stands in each of the 20
// display columns. 255 marks a column that has a heading but no values.
#pragma once
#include <cstdint>

extern const uint8_t ChromParamDisplayOrder[20];
extern const uint8_t ChromParamDisplayOrderNoOxygen[20];
// The order in force for values; headings always follow ChromParamDisplayOrder.
extern const uint8_t* ActiveChromParamOrder;
