// Writer processes on the registry, shared by the durability tests and the
// soak. Writers set values whose data carry a sequence number, so that a
// check of the hive files on disk can tell a value that is missing or went
// back; values set before the writers start must survive them unchanged.
#pragma once

#include "WriterProcesses.h"

#include <chrono>
#include <cstdint>

namespace registrytest {

// Kills `kills` writers one after the other, each after a random delay below
// `maxDelay` (from `seed`). Each writer rewrites HKEY_CURRENT_USER with a
// growing counter and a value that changes size. After every kill the hive
// on disk must parse, keep the values set before, and hold the last counter
// reported stored or a later one. Uses the current system root.
testsupport::KillFigures killRegistryWriters(int kills, std::chrono::microseconds maxDelay, std::uint32_t seed);

// Runs `writers` writers at once, each setting `writesEach` values in both
// hives or setting them until `duration` is over, whichever comes first. The
// hives on disk are parsed while they run; afterwards each value a writer
// reported stored last must be there, and the value set before untouched.
testsupport::ConcurrencyFigures writeRegistryTogether(int writers, std::int64_t writesEach,
                                                      std::chrono::milliseconds duration);

}  // namespace registrytest
