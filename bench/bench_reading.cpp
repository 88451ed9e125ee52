// Reading speed: 10,000 documents from a folder and from a .zip, against the floor of merely
// reading the folder's bytes. Usage: bench_reading [COUNT]
#include "BenchCorpus.h"
#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {
// Best of three runs, in seconds.
double Best(const std::function<qint64()>& work, qint64 expected, const char* what) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        const qint64 got = work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        if (got != expected)
            std::fprintf(stderr, "%s: %lld instead of %lld\n", what, got, expected);
    }
    return best;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const ColumnMapLoad map =
        LoadColumnMap(QCoreApplication::applicationDirPath() + QStringLiteral("/CONFIG/TAG.INI"));
    if (map.Columns.empty()) {
        std::fprintf(stderr, "no column map beside the benchmark\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("docs"));
    QDir().mkpath(folder);
    qint64 bytes = 0;
    const QStringList names = WriteBenchCorpus(folder, count, &bytes);
    if (names.size() != count) return 2;
    const QString zip = dir.filePath(QStringLiteral("docs.zip"));
    if (!MakeBenchZip(zip, folder, names)) return 2;

    const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    const double floor = Best(
        [&] {
            qint64 read = 0;
            for (const QString& name :
                 QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files)) {
                QFile file(folder + QLatin1Char('/') + name);
                if (file.open(QIODevice::ReadOnly)) read += file.readAll().size() > 0;
            }
            return read;
        },
        count, "raw bytes");
    const double fromFolder =
        Best([&] { return qint64(RunReading(folder, map.Columns, coder).Rows.size()); }, count,
             "folder");
    const double fromZip =
        Best([&] { return qint64(RunReading(zip, map.Columns, coder).Rows.size()); }, count, "zip");

    std::printf("%d documents, %.1f MB, %d columns\n", count, bytes / 1e6, int(map.Columns.size()));
    std::printf("%-22s %8.3f s %10.0f documents/s\n", "raw bytes of folder", floor, count / floor);
    std::printf("%-22s %8.3f s %10.0f documents/s\n", "reading folder", fromFolder,
                count / fromFolder);
    std::printf("%-22s %8.3f s %10.0f documents/s\n", "reading .zip", fromZip, count / fromZip);
    return 0;
}
