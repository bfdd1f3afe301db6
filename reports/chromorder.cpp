#include "reports/chromorder.h"

const uint8_t ChromParamDisplayOrder[20] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 17, 11, 12, 13, 14, 18, 19, 15, 16};
const uint8_t ChromParamDisplayOrderNoOxygen[20] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 255, 11, 12, 13, 14, 18, 19, 15, 16};
const uint8_t* ActiveChromParamOrder = ChromParamDisplayOrderNoOxygen;
