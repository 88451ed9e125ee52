// Reading speed: 10,000 documents from a folder and from a .zip, against the floor of merely
// reading the folder's bytes. Usage: bench_reading [COUNT]
#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <functional>

namespace {
QByteArray Document(int n) {
    const QByteArray num = QByteArray::number(n);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PlatezhnoePoruchenie>\n"
           "  <Nomer>" +
           num +
           "</Nomer>\n  <Data>2024-03-05</Data>\n"
           "  <Summa>" +
           QByteArray::number(n * 17 % 100000) +
           ".50</Summa>\n"
           "  <PlatelshikNaim>ООО \"Северный ветер\"</PlatelshikNaim>\n"
           "  <PlatelshikINN>7714982130</PlatelshikINN>\n  "
           "<PlatelshikKPP>771401001</PlatelshikKPP>\n"
           "  <PlatelshikSchet>40702810900000012345</PlatelshikSchet>\n"
           "  <PlatelshikBank>АО \"Банк Полярный\"</PlatelshikBank>\n"
           "  <PlatelshikBIK>049901234</PlatelshikBIK>\n"
           "  <PlatelshikKorschet>30101810500000000234</PlatelshikKorschet>\n"
           "  <PoluchatelNaim>АО \"Луговое\"</PoluchatelNaim>\n"
           "  <PoluchatelINN>5029317641</PoluchatelINN>\n  "
           "<PoluchatelKPP>502901001</PoluchatelKPP>\n"
           "  <PoluchatelSchet>40702810600000067890</PoluchatelSchet>\n"
           "  <PoluchatelBank>ПАО \"Банк Речной\"</PoluchatelBank>\n"
           "  <PoluchatelBIK>049905678</PoluchatelBIK>\n"
           "  <PoluchatelKorschet>30101810700000000678</PoluchatelKorschet>\n"
           "  <VidPlatezha>электронно</VidPlatezha>\n  <VidOplaty>01</VidOplaty>\n"
           "  <Ocherednost>5</Ocherednost>\n"
           "  <NaznacheniePlatezha>Оплата по счету № " +
           num + " от 01.03.2024. В т.ч. НДС 20%</NaznacheniePlatezha>\n</PlatezhnoePoruchenie>\n";
}

bool MakeZip(const QString& zip, const QString& folder, const QStringList& names) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(zip).constData()) == ARCHIVE_OK;
    for (const QString& name : names) {
        QFile file(folder + QLatin1Char('/') + name);
        if (!ok || !file.open(QIODevice::ReadOnly)) return false;
        const QByteArray bytes = file.readAll();
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.toUtf8().constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, bytes.size());
        ok = archive_write_header(a, entry) == ARCHIVE_OK &&
             archive_write_data(a, bytes.constData(), size_t(bytes.size())) == bytes.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

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
    QStringList names;
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("pp-%1.xml").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(folder + QLatin1Char('/') + names.last());
        const QByteArray doc = Document(i + 1);
        if (!file.open(QIODevice::WriteOnly) || file.write(doc) != doc.size()) return 2;
        bytes += doc.size();
    }
    const QString zip = dir.filePath(QStringLiteral("docs.zip"));
    if (!MakeZip(zip, folder, names)) return 2;

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
