// A seeded sweep of the program's archive and log reads against the simulated controller,
// over TCP or a pseudo-terminal (a direct line at 115200 or 9600 bit/s, the simulator's
// replies paced at that rate, the port kept open or opened and closed for every request).
// A wait is the reply time and what one send costs on the line (the TCP send pause, or 256
// characters of 10 bits at the line rate); the horizon is three waits. A seed draws a case:
// a sequence of two to four reads of
// different kinds and periods (overlapping ones, the same again, a start before the oldest
// record, past the newest, inside a gap of the archive, empty periods, short logs, one log
// record per reply with two alike events in a row), the controller's content and answer
// style, the line, the tries and the reply time, the answer to every question, and the fate
// of every reply. An engine on its line reads the whole case; nothing is cleared between
// its reads.
//
// The fate of a reply follows from its request's key: the read of the sequence, the
// request's bytes and how many times those bytes were sent in the read (and, for table rows,
// which distinct request of the read it is), never from a running count of the requests, so
// that a send made by one engine and not by another shifts nothing (but for the in-order
// controller, which counts every send). The seeded draws hash the seed, the read, the bytes
// and the send.
//
// Every mode but Healthy reads the case three times, each time by an engine on a line of its
// own to a controller of the same content, both made anew for the pass (nothing of an earlier
// pass on the line or in the engine): the plain send-wait-take loop (hgcbox::Plain) with every
// reply on time (the clean reads, the reference), then the plain loop and the engine under
// the same schedule of faults.
//
// Modes:
//  - Faults: the seed draws a density (1, 5, 15 or 30 % of replies) and the kinds among:
//    never answered; late by up to three waits, a busy controller holding back the replies
//    after it; late out of order; sent twice (a copy 0.2-0.6 s or 0.05-2 waits later); a
//    stale copy of a reply made earlier on the line, in place of the reply or just before
//    it; broken. It draws pauses between the reads of none to five horizons and "Да" to 10
//    to 50 questions in a row. A controller that ignores the index or the start is judged
//    against the clean reads of one that heeds them.
//  - Late: as Faults, with replies and copies later than the horizon.
//  - Mild: replies late by less than the engine's reply time only, two or three tries: every
//    read is complete and shows what its clean read showed.
//  - Healthy: no fault at all: the plain loop and the engine each read the case once, and
//    the engine's reads keep what the plain ones keep and show the same boxes.
//  - InOrder: a busy controller that answers every send in turn from one queue: every k-th
//    reply (k from 3 to 15, counted over all sends) is 1 to 4 waits late and holds back the
//    replies after it, which then leave back to back or 30 ms apart; the others come within
//    a quarter of the reply time. Long reads (up to hundreds of requests: a day of 5-minute
//    records, logs of one record per reply), reply times up to 2 s, TCP or the pty at 9600
//    or 115200 bit/s, "Да" to the first kInOrderYes questions of a read, then "Нет" (in
//    every pass alike): a read whose every request fails at once, while the replies to its
//    earlier sends keep coming, would otherwise ask without end.
//
// The invariant of a read, against its clean read: it keeps the clean read's records from the
// start, each once, in order, with no hole; the record that raised a date question answered
// "Нет" may follow them (the reader keeps it and stops); and when that is not all of the
// clean records, the user was told by a notice or a question answered "Нет". A date question
// answered "Да" turns the reader's date checks off for the rest of the read. When the clean
// read asked that question about the same record, both reads go on unchecked alike and the
// invariant stays as it is. When only this read asked it, the records kept before the
// questioned one must still be the clean read's first ones, and no record may be kept twice;
// what follows it is the user's choice to read on unchecked. A read that breaks it is
// "wrong", in every mode and however late the replies came. A wrong read fails the run but
// where the plain loop's read of it is wrong too and it keeps no record more often than its
// clean read but right after itself (a repeat of records it had kept, which the reader's
// check is there to stop; alike events in a row look like a record again right after
// itself): no check of a reply's content can tell such a reply from the answer (a copy of
// another read's reply, say), and the run is listed as wrong alike with the plain loop.
//
// Every read of the engine is judged against the plain loop's read of it under the same
// schedule. Once an earlier read of the two loops parted the lines (they kept, said, asked
// or sent other things, or other frames crossed the line), each line carries other late
// replies at other moments; the plain loop then reads it on the engine's line: a line of
// its own on which the plan's replies (due, held back or going out) and the replies sent so
// far stand as they stood on the engine's line as the read began (CtlSim::SavePlan). Where
// the plain read is right (its clean read's records, telling the user nothing more), the
// engine's keeps the same records, tells the same, asks no more questions, sends no more
// frames (counted from what the simulator heard) and takes no longer than 1.05 times the
// plain read plus 2 ms a request. Where the plain read is short
// or wrong, the engine's keeps no fewer of the clean read's records from the start and is
// not wrong where the plain one is not. A run that breaks this is "worse than the plain
// loop". A run worse by its time alone, one worse otherwise or wrong where the plain loop
// is not in a read where a request of either loop went out as a reply began to come, and an
// in-order run worse in any way, is run again, three times at most (the machine's load
// comes and goes; a frame that comes whole just before a send is dropped, just after it
// taken; an in-order reply whole waits late that comes as a try ends is taken by one loop
// and not by the other as the clock falls).
//
// The sweep judges a run by what happened on the line, not by what was planned: the simulator
// reports the oldest any reply was when it went out (copies are known by their bytes and do
// not count), and a watchdog thread the longest stretch by which its own short sleeps
// overran (the process was kept from running, whatever the engine itself was doing). A
// faulty read in which either run was kept from running is not judged by its time (a stall
// of 20 ms or more), nor against the plain loop at all (a stall of a quarter wait or more);
// such runs are counted as "stalled". A Faults run whose replies and stalls went past the
// horizon is counted as "beyond" (judged all the same). A mild run in which the two reach
// the reply time is "disturbed": it must still keep no wrong record, but is not held to
// completeness. A healthy pair that differs while they reach a wait, or whose time does not
// hold, is run again (three times at most; the best time of each engine counts); one whose
// time did not hold only in runs with a stalled wait is counted as stalled, not judged.
//
// A plant (SweepCase::plant) is a fault put into the engine, not the plain loop, on purpose:
// the sweep must find it.
//
// A run sets the program's globals it needs (engine, program folder, table image, the
// question handler, QVR_COM96) and puts them back afterwards; one run at a time per process.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/dtfun.h"
#include "ctlsim/archive.h"
#include "ctlsim/ctlsim.h"
#include "link/hgcbox.h"

namespace ctlsim {

enum class SweepMode { Faults, Mild, Healthy, Late, InOrder };

// The questions of an in-order read the user answers "Да" before giving up.
constexpr int kInOrderYes = 200;

// FiveMinute: the moisture analyser's (8 records a reply); ChromFiveMinute: the
// chromatograph's (2 a reply).
enum class SweepKind {
    ChromHourly, WmtHourly, Daily, FiveMinute, DiagByIndex, AuditByIndex, DiagByPeriod, AuditByPeriod,
    ChromFiveMinute
};

// One read of a sequence.
struct SweepRead {
    SweepKind kind = SweepKind::ChromHourly;
    CtlDateTime from, to;  // archive and by-period reads; none: the kind's usual period
    uint32_t first = 0;    // by-index reads: the first index and the number of records;
    int count = 0;         // count 0: the whole log
    bool yes = false;      // questions answered "Да" (the case's yesInARow first ones of the read), else "Нет"
    int grow = 0;          // records every archive and log gains at its end before this read
    int pauseMs = 0;       // faulty reads: the pause before this read, after the one before
};

enum class SweepLine { Tcp, Pty, PtyClosing };

// The controller's content, the same for every read of a case (but for what the reads add).
// Archives: hourly of both devices 24.10.26 00:00 .. 26.10.26 00:00 with the clock going
// back over 25.10 03:00..03:59, daily of the chromatograph 27.02.26 .. 20.03.26, 5-minute
// of both devices over the same two days as the hourly ones. Logs from index 500, distinct
// events from 01.12.26 00:00, one an hour.
struct SweepContent {
    bool gap = false;   // the archives miss 25.10 06:00..08:59 and 06.03 .. 08.03
    int diagRecords = 60, auditRecords = 44;
    int twinAt = -1;      // >= 0: log records twinAt and twinAt + 1 are alike, byte for byte
    int maxPerReply = 0;  // log records per reply; 0: as many as a frame holds
};

struct SweepCase {
    std::string name;
    SweepMode mode = SweepMode::Faults;
    std::vector<SweepRead> reads;
    SweepContent content;
    SweepLine line = SweepLine::Tcp;
    int baud = 115200;            // pty lines: the line rate
    ArchiveSim::Style style = ArchiveSim::Style::Filter;
    bool ignoreIndex = false;     // a log controller that answers every request of a read from its first index
    bool plainReference = false;  // the clean reads from a controller that heeds the start and the index
    int tries = 2;
    int replyMs = 150;
    int sendDelayMs = 0;  // the engine's pause before a TCP send
    int yesInARow = 4;    // reads answering "Да": so many questions, then "Нет"
    FatePlan plan;        // faults of the faulty reads (the key's read: 1 = the first)
    bool trace = false;   // what broke comes with what crossed the line during that read
    hgcbox::Planted plant = hgcbox::Planted::None;  // a fault planted in the engine (not the plain loop)
};

struct SweepResult {
    std::vector<size_t> clean;  // records of each clean read
    std::vector<size_t> kept;   // records of each read of the engine
    bool complete = true;       // every read of the engine kept what its clean read kept, showing the same
    bool told = true;           // every read of the engine that fell short said so
    bool beyond = false;        // faults: the replies and stalls went past the horizon
    bool disturbed = false;     // mild or healthy run: not on time (see above)
    bool stalled = false;       // a read or a healthy pair not judged by its time for a stalled wait
    bool plainComplete = true;  // every plain read kept its clean records and told nothing more
    bool plainWrong = false;    // a plain read broke the invariant
    bool wrongAlike = false;    // every read of the engine that broke it, the plain loop's broke too, and
                                // it repeats no record (see above): listed, not failed
    std::string plainShort;     // the first plain read that was not complete, with its trace
    int lateMs = 0;             // the oldest reply plus the longest stall of the engine's run, ms
    int horizonMs = 0;
    std::vector<int> firstRequestMs;  // faulty reads of the engine: from the read's start to its first
                                      // request reaching the controller, ms (-1: none)
    double seconds = 0, plainSeconds = 0;
    std::string caught;         // the first read whose date check asked what the clean one did not
    std::string short_;         // the first read of the engine that was not complete: what it kept and showed
    std::string wrong;          // what broke the invariant, with the reads' story; empty when none
    bool slow = false;          // ... worse by its time alone
    bool raced = false;         // ... or otherwise, or wrong of its own, with a request sent as a reply began to come
    std::string worse;          // the first read worse than the plain loop's, and how
    // The lines had parted before the read: an earlier read of the engine and of the plain
    // loop sent, kept, asked or said other things, so other late replies were on each line.
    bool worseParted = false;       // the engine's worse read came on parted lines
    bool ownWrongParted = false;    // so did the first wrong read of the engine's own (right in the plain loop)
    bool plainWorseParted = false;  // on parted lines, a plain read worse than the engine's right one
    bool plainWrongParted = false;  // on parted lines, a plain read wrong where the engine's is right
    int forked = 0;    // reads on parted lines judged against the plain loop on the engine's line
    int unforked = 0;  // ... whose line could not be made: judged against the plain loop's own read
};

// The case of a seed in a mode.
SweepCase DrawSweepCase(uint64_t seed, SweepMode mode);

// A wait on a case's line (the reply time and what one send costs), ms.
int SweepWaitMs(const SweepCase& c);

SweepResult RunSweepCase(const SweepCase& c);

}  // namespace ctlsim
