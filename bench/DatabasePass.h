#pragma once

// One pass of the database benchmark: a report table's walk of movimenti_grande.mdb's Movimenti
// (open, query, FindFirst/FindNext reading every field of every match, close), timed.

#include <QString>
#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start);
// Resident (VmRSS) or peak resident (VmHWM) memory of this process, in bytes.
long long statusBytes(const char* key);
double cpuSeconds();

struct Pass {
    double seconds = 0;
    double cpu = 0;
    long long rows = 0;
    long long peakGrowth = 0;
    long long checksum = 0;
};
// `database` names the file (or connection file) as a template would.
Pass runPass(const QString& database, long long baseline);

}  // namespace bench
