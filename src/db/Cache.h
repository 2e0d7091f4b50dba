#pragma once

#include <cstdint>

namespace ostrivo::db {

// What the file cache holds, for tests and benchmarks.
struct CacheStatistics {
    int files = 0;               // database files with a decoded copy
    int tablesDecoded = 0;       // tables held decoded, all files together
    std::int64_t decodeRuns = 0; // tables decoded since those copies were made
};
CacheStatistics cacheStatistics();

// Forgets every decoded copy (record sets still open keep theirs).
void dropCache();

}  // namespace ostrivo::db
