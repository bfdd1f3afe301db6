// A seeded fault sweep of the program's archive and log reads against the simulated
// controller over TCP. Each run reads once with a clean line, then reads the same again
// (once, or twice in a row on one line) while the controller's replies meet faults: late
// by up to four waits, sent twice, replaced or preceded by a copy of an earlier reply, or
// broken. Every question is answered "Нет" (or, where a case says so, "Да"). The invariant of every faulty read: it keeps
// the clean read's records from the start, each once, in order, with no hole (the record
// that raised a date question answered "Нет" is kept after them, as the reader keeps it),
// and when that is not all of them the user was told with a question or a notice.
//
// A run sets the program's globals it needs (engine, program folder, table image, the
// question record) and puts them back afterwards; one run at a time per process.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ctlsim/archive.h"
#include "ctlsim/ctlsim.h"

namespace ctlsim {

enum class SweepRead { Hourly, Daily, FiveMinute, DiagByIndex, AuditByIndex, DiagByPeriod, AuditByPeriod };
constexpr int kSweepReadCount = 7;

struct SweepCase {
    std::string name;
    SweepRead read = SweepRead::Hourly;
    ArchiveSim::Style style = ArchiveSim::Style::Filter;
    bool ignoreIndex = false;  // a log controller that answers every request from the first index
    bool plainReference = false;  // the clean read from a controller that filters and heeds the index
    CtlDateTime from, to;      // an archive read's period; none: the read's own
    int tries = 2;
    int replyMs = 150;
    int sendDelayMs = 0;       // the engine's pause before a TCP send
    int reads = 1;             // faulty reads in a row on one line
    bool answerYes = false;    // the faulty reads answer every question "Да" (then only a notice tells)
    FatePlan plan;             // faults of the faulty reads (their replies counted from 1)
};

struct SweepResult {
    size_t clean = 0;          // records the clean read keeps
    std::vector<size_t> kept;  // records each faulty read keeps
    bool complete = true;      // every faulty read kept what the clean one keeps, asking the same
    bool told = true;          // every faulty read that did not was told so
    std::string wrong;         // what broke the invariant; empty when it holds
};

// The case of a seed: a read, its answer style, tries, reads in a row and the faults, drawn
// so that most reads meet several. mild: replies late by less than one wait only, and at
// least two tries.
SweepCase DrawSweepCase(uint64_t seed, bool mild);

SweepResult RunSweepCase(const SweepCase& c);

}  // namespace ctlsim
