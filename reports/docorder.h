// Row orders of the one-page gas-quality documents: which GasAnalysis index stands in each
// row of the passports (one analysis and daily) and of the daily certificate.
#pragma once
#include <cstdint>

constexpr int kPassportRowCount = 14;
constexpr int kCertificateRowCount = 17;

// Methane, ethane, propane, i-butane, n-butane, neo-pentane, i-pentane, n-pentane, C6+,
// CO2, nitrogen; Hi, Wobbe index, density.
extern const uint8_t PassportParamOrder[kPassportRowCount];
// Methane, ethane, propane, i-butane, n-butane, neo-pentane, i-pentane, n-pentane, C6+,
// nitrogen, CO2; Hi, density, Wobbe index, Hs, compressibility factor, relative density.
extern const uint8_t CertificateParamOrder[kCertificateRowCount];
