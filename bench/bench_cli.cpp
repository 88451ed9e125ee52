// The command line against its floors, all measured in one run on generated documents:
// - convert of COUNT documents from a folder vs a process that only reads the same files' bytes,
//   vs cat of them, and vs xsltproc with a stylesheet doing the same job (skipped where xsltproc
//   is missing);
// - list of a .zip of them vs a process that only reads every entry's bytes with libarchive, and
//   vs unzip -p (where it is installed);
// - LARGE documents: peak memory of convert and of list (the reading the window does) of a folder,
//   and of list of a .zip of them, and how the convert time scales from COUNT to LARGE.
// Every measured command is a real process; wall time is the median of --runs, memory the
// child's peak resident set. With --previous, an earlier build's vypiska-cli runs each command
// in turn with ours, for a column beside it.
// Usage: bench_cli [--count N] [--large N] [--runs N] [--previous PATH]
//        bench_cli --write-corpus DIR N   (only writes the corpus of N documents and its .zip)
#include "BenchCorpus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Measure {
    double Seconds = 0;
    double CpuSeconds = 0; // user and system, of every thread: steadier than wall on a busy machine
    double PeakMb = 0;
    bool Ok = true;
};

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the command with its output thrown away; wall time and peak memory of the child.
Measure RunOnce(const QStringList& command) {
    std::vector<QByteArray> args;
    for (const QString& a : command)
        args.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Measure m;
    const double start = Now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        m.Ok = false;
        return m;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.Seconds = Now() - start;
    m.PeakMb = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    m.CpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!m.Ok)
        std::fprintf(stderr, "failed (%d): %s\n", status,
                     qPrintable(command.join(QLatin1Char(' '))));
    return m;
}

// Median time and the largest peak over the runs.
Measure Median(const QStringList& command, int runs) {
    std::vector<double> times, cpu;
    Measure all;
    for (int i = 0; i < runs; ++i) {
        const Measure m = RunOnce(command);
        times.push_back(m.Seconds);
        cpu.push_back(m.CpuSeconds);
        all.PeakMb = std::max(all.PeakMb, m.PeakMb);
        all.Ok = all.Ok && m.Ok;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    all.Seconds = times[times.size() / 2];
    all.CpuSeconds = cpu[cpu.size() / 2];
    return all;
}

// The floors, run as child processes of this program so that they pay the same start-up.
int ReadFilesFloor(const QString& folder) {
    qint64 total = 0;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (const QString& name : names) {
        QFile file(folder + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly)) total += file.readAll().size();
    }
    return total > 0 ? 0 : 1;
}

int ReadZipFloor(const QString& zip) {
    archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    qint64 total = 0;
    if (archive_read_open_filename(a, QFile::encodeName(zip).constData(), 1 << 16) == ARCHIVE_OK) {
        archive_entry* entry = nullptr;
        std::vector<char> buffer;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            buffer.resize(size_t(std::max<la_int64_t>(archive_entry_size(entry), 0)));
            total += archive_read_data(a, buffer.data(), buffer.size());
        }
    }
    archive_read_free(a);
    return total > 0 ? 0 : 1;
}

QString Seconds(double s) {
    return QString::number(s, 'f', 3) + QStringLiteral(" s");
}
// Wall time, then the CPU time it took in brackets.
QString Seconds(const Measure& m) {
    return Seconds(m.Seconds) + QStringLiteral(" (%1 CPU)").arg(QString::number(m.CpuSeconds, 'f', 2));
}
QString Mb(double mb) {
    return QString::number(mb, 'f', 0) + QStringLiteral(" MB");
}
QString Ratio(double r) {
    return QString::number(r, 'f', 2) + QStringLiteral("×");
}

QString g_previous; // an earlier build's vypiska-cli, or none

void Row(const QString& what, const QString& ours, const QString& floor, const QString& ratio,
         const QString& goal, const QString& previous = QStringLiteral("-")) {
    const QString before = g_previous.isEmpty() ? QString() : previous + QStringLiteral(" | ");
    std::printf("| %s | %s | %s%s | %s | %s |\n", qPrintable(what), qPrintable(ours),
                qPrintable(before), qPrintable(floor), qPrintable(ratio), qPrintable(goal));
}

// The same command run by the earlier build.
Measure Previous(QStringList command, const QString& cli, int runs) {
    if (g_previous.isEmpty()) return {};
    command.replace(command.indexOf(cli), g_previous);
    return Median(command, runs);
}

QString Thousands(int n) {
    return QLocale(QLocale::English).toString(n);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--read-files"))
        return ReadFilesFloor(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--read-zip")) return ReadZipFloor(args[2]);
    // The corpus alone, for measuring by hand: DIR/docs (the documents) and DIR/docs.zip.
    if (args.size() == 4 && args[1] == QLatin1String("--write-corpus")) {
        const QString folder = args[2] + QStringLiteral("/docs");
        const QStringList names = WriteBenchCorpus(folder, args[3].toInt());
        const QString zip = args[2] + QStringLiteral("/docs.zip");
        return !names.isEmpty() && MakeBenchZip(zip, folder, names) ? 0 : 2;
    }

    // A shared machine varies from run to run; the median of nine holds still.
    int count = 10000, large = 100000, runs = 9;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--count"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--large"))
            large = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--previous"))
            g_previous = args[i + 1];
    }
    if (count < 1 || runs < 1 || large < 0) {
        std::fprintf(stderr, "usage: bench_cli [--count N] [--large N] [--runs N]\n");
        return 2;
    }

    const QString self = QCoreApplication::applicationFilePath();
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/vypiska-cli");
    if (!QFile::exists(cli)) {
        std::fprintf(stderr, "bench_cli: no vypiska-cli beside the benchmark\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("docs"));
    qint64 bytes = 0;
    const QStringList names = WriteBenchCorpus(folder, count, &bytes);
    const QString zip = dir.filePath(QStringLiteral("docs.zip"));
    if (names.size() != count || !MakeBenchZip(zip, folder, names)) {
        std::fprintf(stderr, "bench_cli: could not write the documents\n");
        return 2;
    }
    const QString out = dir.filePath(QStringLiteral("statement.txt"));
    const QStringList convert = {cli,
                                 QStringLiteral("convert"),
                                 QStringLiteral("--locale"),
                                 QStringLiteral("ru_RU"),
                                 QStringLiteral("--date"),
                                 QStringLiteral("2024-03-10T09:30"),
                                 QStringLiteral("--output"),
                                 out};

    std::printf("%s documents of %.2f kB on average, warm cache, median of %d runs (wall time, "
                "the CPU time of all threads in brackets)\n\n",
                qPrintable(Thousands(count)), double(bytes) / count / 1000.0, runs);
    if (g_previous.isEmpty())
        std::printf("| measure | vypiska-cli | floor | ratio | goal |\n|---|---|---|---|---|\n");
    else
        std::printf("| measure | vypiska-cli | previous build | floor | ratio | goal |\n"
                    "|---|---|---|---|---|---|\n");

    const Measure floor = Median({self, QStringLiteral("--read-files"), folder}, runs);
    const Measure converted = Median(convert + QStringList{folder}, runs);
    const Measure convertedBefore = Previous(convert + QStringList{folder}, cli, runs);
    Row(QStringLiteral("convert %1 documents from a folder").arg(Thousands(count)),
        Seconds(converted), Seconds(floor) + QStringLiteral(" reading the bytes"),
        Ratio(converted.Seconds / floor.Seconds), QStringLiteral("≤ 1.5×"),
        Seconds(convertedBefore));

    // What the export journal adds (its transaction, its flush to disk, the statement's hash).
    const QStringList unjournaled = convert + QStringList{QStringLiteral("--no-journal"), folder};
    Row(QStringLiteral("convert without the journal (--no-journal)"),
        Seconds(Median(unjournaled, runs)), QStringLiteral("-"), QStringLiteral("-"),
        QStringLiteral("-"), Seconds(Previous(unjournaled, cli, runs)));

    // The floor the goal names: cat of the same files, one process for them all.
    if (const QString cat = QStandardPaths::findExecutable(QStringLiteral("cat")); !cat.isEmpty()) {
        QStringList command{cat};
        for (const QString& name : names)
            command << folder + QLatin1Char('/') + name;
        const Measure catted = Median(command, runs);
        Row(QStringLiteral("convert vs cat of the same files"), Seconds(converted),
            Seconds(catted) + QStringLiteral(" cat"),
            Ratio(converted.Seconds / catted.Seconds), QStringLiteral("≤ 1×"),
            Seconds(convertedBefore));
    }

    const QString xsltproc = QStandardPaths::findExecutable(QStringLiteral("xsltproc"));
    if (xsltproc.isEmpty()) {
        Row(QStringLiteral("convert vs xsltproc"), Seconds(converted.Seconds),
            QStringLiteral("xsltproc missing"), QStringLiteral("-"),
            QStringLiteral("≥ 2.5× faster"));
    } else {
        // One process for all the documents, as convert is.
        QStringList command = {xsltproc, QStringLiteral("--novalid"),
                               QStringLiteral(VYPISKA_BENCH_DIR "/statement.xsl")};
        for (const QString& name : names)
            command << folder + QLatin1Char('/') + name;
        const Measure xslt = Median(command, runs);
        Row(QStringLiteral("convert vs xsltproc"), Seconds(converted.Seconds),
            Seconds(xslt.Seconds) + QStringLiteral(" xsltproc"),
            Ratio(xslt.Seconds / converted.Seconds) + QStringLiteral(" faster"),
            QStringLiteral("≥ 2.5× faster"));
    }

    const Measure zipFloor = Median({self, QStringLiteral("--read-zip"), zip}, runs);
    const QStringList listZip = {cli, QStringLiteral("list"), QStringLiteral("--locale"),
                                 QStringLiteral("ru_RU"), zip};
    const Measure listed = Median(listZip, runs);
    const Measure listedBefore = Previous(listZip, cli, runs);
    Row(QStringLiteral("list a .zip of %1 documents").arg(Thousands(count)), Seconds(listed),
        Seconds(zipFloor) + QStringLiteral(" reading the entries (libarchive)"),
        Ratio(listed.Seconds / zipFloor.Seconds), QStringLiteral("≤ 1.5×"),
        Seconds(listedBefore));
    if (const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
        !unzip.isEmpty()) {
        const Measure unzipped = Median({unzip, QStringLiteral("-p"), zip}, runs);
        Row(QStringLiteral("list vs unzip -p of the same .zip"), Seconds(listed),
            Seconds(unzipped) + QStringLiteral(" unzip -p"),
            Ratio(listed.Seconds / unzipped.Seconds), QStringLiteral("≤ 1×"),
            Seconds(listedBefore));
    }

    if (large > 0) {
        QDir(folder).removeRecursively();
        QFile::remove(zip);
        const QString big = dir.filePath(QStringLiteral("large"));
        if (WriteBenchCorpus(big, large).size() != large) {
            std::fprintf(stderr, "bench_cli: could not write the large corpus\n");
            return 2;
        }
        const int largeRuns = std::min(runs, 3);
        const QStringList listBig = {cli, QStringLiteral("list"), QStringLiteral("--locale"),
                                     QStringLiteral("ru_RU"), big};
        const Measure bigConvert = Median(convert + QStringList{big}, largeRuns);
        const Measure bigConvertBefore = Previous(convert + QStringList{big}, cli, largeRuns);
        const Measure bigList = Median(listBig, largeRuns);
        Row(QStringLiteral("convert %1 documents: peak memory").arg(Thousands(large)),
            Mb(bigConvert.PeakMb), QStringLiteral("-"), QStringLiteral("-"),
            QStringLiteral("< 200 MB"), Mb(bigConvertBefore.PeakMb));
        Row(QStringLiteral("list (read) %1 documents: peak memory").arg(Thousands(large)),
            Mb(bigList.PeakMb), QStringLiteral("-"), QStringLiteral("-"),
            QStringLiteral("< 200 MB"), Mb(Previous(listBig, cli, largeRuns).PeakMb));
        // The same documents in a .zip: the archive's directory is held beside the rows.
        const QString bigZip = dir.filePath(QStringLiteral("large.zip"));
        QStringList bigNames;
        for (int i = 1; i <= large; ++i)
            bigNames << BenchDocumentName(i);
        if (MakeBenchZip(bigZip, big, bigNames)) {
            const QStringList listBigZip = {cli, QStringLiteral("list"), QStringLiteral("--locale"),
                                            QStringLiteral("ru_RU"), bigZip};
            Row(QStringLiteral("list a .zip of %1 documents: peak memory").arg(Thousands(large)),
                Mb(Median(listBigZip, largeRuns).PeakMb), QStringLiteral("-"), QStringLiteral("-"),
                QStringLiteral("< 200 MB"), Mb(Previous(listBigZip, cli, largeRuns).PeakMb));
        }
        Row(QStringLiteral("convert %1 vs %2 documents").arg(Thousands(large), Thousands(count)),
            Seconds(bigConvert.Seconds), Seconds(converted.Seconds),
            Ratio(bigConvert.Seconds / converted.Seconds),
            QStringLiteral("≤ %1×").arg(1.1 * large / count, 0, 'f', 0),
            Seconds(bigConvertBefore.Seconds));
    }
    return 0;
}
