#pragma once

// Builds real .zip files for the tests with libarchive's writer.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

struct TestZipEntry {
    enum Kind { File, Folder, Link };
    QByteArray Name; // UTF-8
    QByteArray Data; // a file's bytes, or a link's target
    Kind Type = File;
};

// The process must run with a UTF-8 C locale (names are converted from it). Names in "CP866"
// are written without the archive's UTF-8 flag, as archivers on Russian Windows do.
inline bool WriteTestZip(const QString& path, const QList<TestZipEntry>& entries,
                         const char* nameCharset = "UTF-8", bool stored = false) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "hdrcharset", nameCharset);
    if (stored) archive_write_set_format_option(a, "zip", "compression", "store");
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const TestZipEntry& e : entries) {
        if (!ok) break;
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.Name.constData());
        if (e.Type == TestZipEntry::Folder) {
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
        } else if (e.Type == TestZipEntry::Link) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, e.Data.constData());
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, e.Data.size());
        }
        ok = archive_write_header(a, entry) == ARCHIVE_OK;
        if (ok && e.Type == TestZipEntry::File && !e.Data.isEmpty())
            ok = archive_write_data(a, e.Data.constData(), size_t(e.Data.size())) == e.Data.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}
