// Generated payment documents for the benchmarks: the default column map's elements, about
// 1.2 kB each, numbered so that no two are alike, with requisites that pass the checks (a
// problem for every document would measure the problem list instead).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

inline QByteArray BenchDocument(int n) {
    const QByteArray num = QByteArray::number(n);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PlatezhnoePoruchenie>\n"
           "  <Nomer>" +
           num + "</Nomer>\n  <Data>2024-03-" + QByteArray::number(n % 19 + 10) +
           "</Data>\n"
           "  <Summa>" +
           QByteArray::number(n * 17 % 100000) +
           ".50</Summa>\n"
           "  <PlatelshikNaim>ООО \"Северный ветер\"</PlatelshikNaim>\n"
           "  <PlatelshikINN>7714982130</PlatelshikINN>\n  "
           "<PlatelshikKPP>771401001</PlatelshikKPP>\n"
           "  <PlatelshikSchet>40702810600000012345</PlatelshikSchet>\n"
           "  <PlatelshikBank>АО \"Банк Полярный\"</PlatelshikBank>\n"
           "  <PlatelshikBIK>049901234</PlatelshikBIK>\n"
           "  <PlatelshikKorschet>30101810000000000234</PlatelshikKorschet>\n"
           "  <PoluchatelNaim>АО \"Луговое\"</PoluchatelNaim>\n"
           "  <PoluchatelINN>5029317641</PoluchatelINN>\n  "
           "<PoluchatelKPP>502901001</PoluchatelKPP>\n"
           "  <PoluchatelSchet>40702810300000067890</PoluchatelSchet>\n"
           "  <PoluchatelBank>ПАО \"Банк Речной\"</PoluchatelBank>\n"
           "  <PoluchatelBIK>049905678</PoluchatelBIK>\n"
           "  <PoluchatelKorschet>30101810800000000678</PoluchatelKorschet>\n"
           "  <VidPlatezha>электронно</VidPlatezha>\n  <VidOplaty>01</VidOplaty>\n"
           "  <Ocherednost>5</Ocherednost>\n"
           "  <NaznacheniePlatezha>Оплата по счету № " +
           num + " от 01.03.2024. В т.ч. НДС 20%</NaznacheniePlatezha>\n</PlatezhnoePoruchenie>\n";
}

inline QString BenchDocumentName(int n) {
    return QStringLiteral("pp-%1.xml").arg(n, 6, 10, QLatin1Char('0'));
}

// Writes documents 1..count into the folder; returns their names in order, or none on failure.
inline QStringList WriteBenchCorpus(const QString& folder, int count, qint64* bytes = nullptr) {
    QDir().mkpath(folder);
    QStringList names;
    for (int i = 1; i <= count; ++i) {
        names << BenchDocumentName(i);
        QFile file(folder + QLatin1Char('/') + names.last());
        const QByteArray doc = BenchDocument(i);
        if (!file.open(QIODevice::WriteOnly) || file.write(doc) != doc.size()) return {};
        if (bytes) *bytes += doc.size();
    }
    return names;
}

inline bool MakeBenchZip(const QString& zip, const QString& folder, const QStringList& names) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(zip).constData()) == ARCHIVE_OK;
    for (const QString& name : names) {
        QFile file(folder + QLatin1Char('/') + name);
        if (!ok || !file.open(QIODevice::ReadOnly)) {
            ok = false;
            break;
        }
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
