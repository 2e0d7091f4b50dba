// Memory in proportion to the template: the largest templates the limits let through (16 MB, lines
// of at most 64 KB), of several shapes, checked and printed to PDF by the program, each in a
// process of its own. Figure: the process's peak resident memory against the template's size.
// Target: at most 10 x the template's size, the program's own baseline (an empty template's run)
// included; the growth over that baseline is shown too.
//
// Not held to the target: printing a page crowded with hundreds of thousands of texts. Qt's PDF
// writer keeps a page's content until the page ends, about 20 bytes a glyph drawn and 120 a text,
// whatever the template spent on them; those figures are shown for what they are.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr long long kTemplateLimit = 16LL * 1024 * 1024;
constexpr double kTarget = 10;

struct Shape {
    const char* name;
    const char* section;
    std::function<QByteArray(long long)> record;  // record n
    bool crowdedPage = false;                     // its print draws every record on one page
};

// The page block, then records of one section up to just under the limit, then "[FINE]".
QByteArray largestTemplate(const Shape& shape)
{
    QByteArray bytes = "[TESTA]\r\n1\r\n80,75,\r\nx.mdb,T,\r\n[PARAMETRI]\r\n";
    bytes += shape.section;
    bytes += "\r\n";
    const QByteArray end = "[FINE]\r\n";
    for (long long n = 0;; ++n) {
        const QByteArray record = shape.record(n) + "\r\n";
        if (bytes.size() + record.size() + end.size() > kTemplateLimit)
            break;
        bytes += record;
    }
    return bytes + end;
}

// The peak resident memory of a run of the program, in bytes; -1 when it could not run.
long long peakOf(const std::vector<std::string>& arguments, const QString& folder, int* exitCode)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(OSTRIVO_BINARY_PATH));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.toLocal8Bit().constData());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    long long peak = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
            peak = usage.ru_maxrss * 1024LL;
            *exitCode = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return peak;
}

}  // namespace

int main()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const QString dir = folder.path();
    auto write = [&](const char* name, const QByteArray& bytes) {
        FILE* f = std::fopen((dir + QLatin1Char('/') + QLatin1String(name)).toLocal8Bit().constData(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), f) ==
                        static_cast<std::size_t>(bytes.size());
        return std::fclose(f) == 0 && ok;
    };

    const QByteArray longLine(65000, 'x');
    const std::vector<Shape> shapes = {
        {"texts of 64 KB", "[TESTO]", [&](long long) { return longLine + ",1,1,Arial,10,0,"; }},
        {"short texts", "[TESTO]", [](long long n) { return "t" + QByteArray::number(n % 10) + ",1,1,Arial,10,0,"; }, true},
        {"texts of 40 characters", "[TESTO]",
         [](long long) { return QByteArray("Prenotazioni dal 01/01/2024 al 31/12/2024,10,5,Arial,12,0,"); }, true},
        {"lines of 64 KB skipped", "[ALTRO]", [&](long long) { return longLine; }},
        {"lines of one character", "[ALTRO]", [](long long) { return QByteArray("a"); }},
        {"malformed records", "[TESTO]", [](long long) { return QByteArray("x,"); }},
    };

    std::printf("bench_template_memory: peak resident memory of `ostrivo-report` against the template\n");
    int code = 0;
    if (!write("vuoto.vn3", "[TESTA]\r\n1\r\n80,75,\r\nx.mdb,T,\r\n[PARAMETRI]\r\n[FINE]\r\n"))
        return 1;
    long long baseline[2] = {peakOf({"check", "vuoto.vn3"}, dir, &code),
                             peakOf({"print", "vuoto.vn3", "--output", "vuoto.pdf"}, dir, &code)};
    std::printf("  baseline (empty template)     check %.1f MB, print %.1f MB\n", baseline[0] / 1048576.0,
                baseline[1] / 1048576.0);
    bool met = baseline[0] > 0 && baseline[1] > 0;
    double worst = 0;
    for (const Shape& shape : shapes) {
        const QByteArray bytes = largestTemplate(shape);
        if (!write("t.vn3", bytes))
            return 1;
        const double size = static_cast<double>(bytes.size());
        const char* commands[2] = {"check", "print"};
        for (int c = 0; c < 2; ++c) {
            std::vector<std::string> arguments = {commands[c], "t.vn3"};
            if (c == 1)
                arguments.insert(arguments.end(), {"--output", "t.pdf"});
            const long long peak = peakOf(arguments, dir, &code);
            const double ratio = peak / size;
            const bool held = !(shape.crowdedPage && c == 1);
            if (held) {
                worst = std::max(worst, ratio);
                met = met && peak > 0 && ratio <= kTarget;
            }
            std::printf("  %-24s %-5s %5.1f MB template, peak %6.1f MB = %4.1f x (growth %4.1f x), exit %d%s\n", shape.name,
                        commands[c], size / 1048576.0, peak / 1048576.0, ratio, (peak - baseline[c]) / size, code,
                        held ? "" : "  (one crowded page: the PDF writer's)");
        }
    }
    // A line past the limit is refused, in proportion to it too.
    QByteArray tooLong = "[TESTA]\r\n1\r\n80,75,\r\nx.mdb,T,\r\n[PARAMETRI]\r\n[TESTO]\r\n";
    tooLong += QByteArray(10 * 1024 * 1024, 'x') + ",1,1,Arial,10,0,\r\n[FINE]\r\n";
    if (!write("lunga.vn3", tooLong))
        return 1;
    const long long peak = peakOf({"print", "lunga.vn3", "--output", "t.pdf"}, dir, &code);
    const double ratio = peak / static_cast<double>(tooLong.size());
    worst = std::max(worst, ratio);
    met = met && peak > 0 && ratio <= kTarget && code == 1;
    std::printf("  %-24s %-5s %5.1f MB template, peak %6.1f MB = %4.1f x, exit %d (refused)\n", "one line of 10 MB", "print",
                tooLong.size() / 1048576.0, peak / 1048576.0, ratio, code);
    std::printf("  worst peak / template size    %.1f (target <= %.0f) %s\n", worst, kTarget, met ? "met" : "NOT MET");
    return met ? 0 : 1;
}
