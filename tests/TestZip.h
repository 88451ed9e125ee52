#pragma once

// Builds real .zip files for the tests with libarchive's writer.
#include <QByteArray>
#include <QFile>
#include <QList>

#include <archive.h>
#include <archive_entry.h>

struct TestZipEntry {
    QByteArray Name;          // UTF-8
    QByteArray Data = "<x/>"; // a file's bytes, or a link's target
    mode_t Type = AE_IFREG;
};

// A real .zip; "CP866" names go without the UTF-8 flag, as archivers on Russian Windows write.
inline bool WriteTestZip(const QString& path, const QList<TestZipEntry>& entries,
                         const char* names = "UTF-8", bool stored = false) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "hdrcharset", names);
    if (stored) archive_write_set_format_option(a, "zip", "compression", "store");
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const TestZipEntry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.Name.constData());
        archive_entry_set_filetype(entry, e.Type);
        if (e.Type == AE_IFLNK) archive_entry_set_symlink(entry, e.Data.constData());
        if (e.Type == AE_IFREG) archive_entry_set_size(entry, e.Data.size());
        ok = ok && archive_write_header(a, entry) == ARCHIVE_OK;
        if (ok && e.Type == AE_IFREG && !e.Data.isEmpty())
            ok = archive_write_data(a, e.Data.constData(), size_t(e.Data.size())) == e.Data.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

// Marks every name of the .zip as UTF-8 and puts the bytes to in place of from: names that
// claim UTF-8 and are not, as some archivers write them.
inline bool MarkNamesUtf8(const QString& path, const QByteArray& from, const QByteArray& to) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    QByteArray bytes = file.readAll();
    const auto flag = [&](const char* signature, qsizetype flagsAt) {
        for (qsizetype i = bytes.indexOf(signature); i >= 0; i = bytes.indexOf(signature, i + 4))
            bytes[i + flagsAt + 1] = char(bytes[i + flagsAt + 1] | 0x08); // bit 11
    };
    flag("PK\x03\x04", 6);
    flag("PK\x01\x02", 8);
    bytes.replace(from, to);
    return file.seek(0) && file.write(bytes) == bytes.size();
}
