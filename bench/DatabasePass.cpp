#include "DatabasePass.h"

#include "db/Dao.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace bench {


double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident and peak resident memory of this process, in bytes.
long long statusBytes(const char* key)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long long kb = -1;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, n) == 0 && line[n] == ':')
            kb = std::atoll(line + n + 1);
    }
    std::fclose(f);
    return kb * 1024;
}

// Lets the next reading of the peak start from the present resident size.
static void resetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}


Pass runPass(const QString& file, long long baseline)
{
    using namespace ostrivo::db;
    static const QString sql = QStringLiteral(
        "Select * From Movimenti where NumeroHotel = 1 and DataMovimento >= '20250101' Order by DataMovimento,Progressivo;");
    static const QString criteria = QStringLiteral("NumeroHotel = 1");
    static const QStringList names = {QStringLiteral("NumeroHotel"), QStringLiteral("Progressivo"), QStringLiteral("DataMovimento"),
                                      QStringLiteral("Camera"),      QStringLiteral("Descrizione"), QStringLiteral("Importo"),
                                      QStringLiteral("Quantita")};
    resetPeak();
    Pass pass;
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    auto db = dbEngine().OpenDatabase(file);
    auto rs = db->OpenRecordset(sql, 2);
    for (rs->FindFirst(criteria); !rs->NoMatch(); rs->FindNext(criteria)) {
        for (const QString& name : names)
            pass.checksum += rs->Fields().Item(name).Value().text().size();
        ++pass.rows;
    }
    rs.reset();
    db->Close();
    pass.seconds = secondsSince(start);
    pass.cpu = cpuSeconds() - cpuStart;
    pass.peakGrowth = statusBytes("VmHWM") - baseline;
    return pass;
}

}  // namespace bench
