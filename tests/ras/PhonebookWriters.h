// Writer processes on the phonebook, shared by the crash tests and the soak.
// A writer stores entries with their credentials in a rotation of names; the
// entry's number and the user name carry a sequence number, so that a check
// of the files on disk can tell an entry that is missing or went back.
#pragma once

#include "WriterProcesses.h"

#include <chrono>
#include <cstdint>

namespace rastest {

// Kills `kills` writers one after the other, each after a random delay below
// `maxDelay` (from `seed`), and checks the phonebook and the credentials on
// disk after every kill: both read (each file with its journal), and every
// entry a writer reported stored is there with that number or a later one.
// Uses the current system root.
testsupport::KillFigures killPhonebookWriters(int kills, std::chrono::microseconds maxDelay, std::uint32_t seed);

// Runs `writers` writers at once, each storing `writesEach` entries or
// storing until `duration` is over, whichever comes first. The files on disk
// are parsed while they run; afterwards every entry each writer reported
// stored last under a name must be there.
testsupport::ConcurrencyFigures writePhonebookTogether(int writers, std::int64_t writesEach,
                                                       std::chrono::milliseconds duration);

}  // namespace rastest
