#include "reports/docorder.h"

const uint8_t PassportParamOrder[kPassportRowCount] = {8, 10, 1, 2, 3, 4, 5, 6, 0, 9, 7, 18, 13, 12};
const uint8_t CertificateParamOrder[kCertificateRowCount] = {8, 10, 1, 2, 3, 4, 5, 6, 0, 7, 9, 18, 12, 13, 11, 14, 19};
