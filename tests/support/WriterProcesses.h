// Writer processes for the stores' crash and concurrency checks: each writer
// runs in a child process of its own and reports every value it has stored
// through a pipe; the parent kills it at a chosen moment or lets a group of
// them run at once. The figures are what the tests assert and the soak prints.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Called in the child with the pipe to report on; it never returns (see
// reportStored and the writers of each store).
using Writer = std::function<void(int report)>;

// Reports one stored value; ends the child with status 1 when the parent is
// gone.
void reportStored(int report, std::int64_t value);

struct KilledWriter {
    bool killedMidway = false;            // the kill came before the writer ended
    std::vector<std::int64_t> reported;   // what it reported stored, in order
};

// Runs `write` in a child process and kills it with SIGKILL `delay` after
// its first report (at once when it ends without one).
KilledWriter runAndKill(const Writer& write, std::chrono::microseconds delay);

struct FinishedWriter {
    bool succeeded = false;               // exited with status 0
    std::vector<std::int64_t> reported;
};

// Runs writers(index) for every index below `count` in child processes at
// once and waits for all of them, reading their reports as they come and
// calling `whileRunning` every few milliseconds until the last one ends.
std::vector<FinishedWriter> runTogether(int count, const std::function<Writer(int index)>& writers,
                                        const std::function<void()>& whileRunning);

// What the files of a store held after the writers: the two figures that
// must stay 0, and the first problem seen, to say what went wrong.
struct Damage {
    int tornFiles = 0;       // a check found a file that did not parse
    int lostEntries = 0;     // an entry reported stored was missing or older
    std::string firstProblem;
    void torn(const std::string& why);
    void lost(const std::string& what);
};

// The figures of a campaign of killed writers.
struct KillFigures {
    int kills = 0;
    int killedMidway = 0;    // killed before they finished on their own
    int caughtMidWrite = 0;  // a kill caught a write half done (see each store's writers)
    std::int64_t writesReported = 0;
    Damage damage;
};

// The figures of writers running at once.
struct ConcurrencyFigures {
    int writers = 0;
    int failedWriters = 0;   // a writer had a store call fail
    std::int64_t writes = 0;
    int checksWhileRunning = 0;
    Damage damage;
};

// Whether a file whose name starts with `prefix` stands in `directory`.
bool hasFileStartingWith(const std::string& directory, const std::string& prefix);

}  // namespace testsupport
