#include "reading/FolderListing.h"

#include "text/FileNames.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

bool NameBefore(QStringView a, QStringView b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool IsDocumentName(const QString& name) {
    return !name.startsWith(u'.') && name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
}

// The document files of a folder, unsorted: names IsDocumentName takes, of anything but a folder
// and of links whose target exists and is no folder (a pipe or a device, or a link to one, is then
// refused by name when read).
QStringList ListDocumentFiles(const QString& folder) {
#ifdef Q_OS_UNIX
    // The entry's own type tells a regular file without asking the file system again: for a year
    // of documents, a hundred thousand system calls fewer.
    QStringList names;
    DIR* dir = ::opendir(FileNameBytes(folder).constData());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        // Bytes that are no UTF-8 are kept: the name must open the file it came from.
        const QString name = FileNameFromBytes(entry->d_name);
        if (!IsDocumentName(name)) continue;
        // A pipe, a device or a socket named "*.xml" is listed too, to be refused by name when
        // read (never waited on), as a link to one is: nothing is left out without a word.
        bool listed =
            entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
        struct stat st {};
        if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            listed = (!S_ISLNK(st.st_mode) && !S_ISDIR(st.st_mode)) ||
                     (S_ISLNK(st.st_mode) && ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 &&
                      !S_ISDIR(st.st_mode));
        }
        if (listed) names << name;
    }
    ::closedir(dir);
    return names;
#else
    // QDir leaves out hidden files (names starting with a dot) unless asked; matching of the
    // pattern ignores case by default.
    return QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Unsorted);
#endif
}

QStringList DocumentFileNames(const QString& folder) {
    QStringList names = ListDocumentFiles(folder);
    // Case folding in every comparison is most of the cost of listing a large folder. Plain
    // ASCII names, the usual ones, are folded once and compared as bytes, in the same order.
    std::vector<std::pair<QByteArray, QByteArray>> keys; // folded, as written
    keys.reserve(size_t(names.size()));
    for (const QString& name : std::as_const(names)) {
        if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() >= 0x80; })) {
            std::sort(names.begin(), names.end(), NameBefore);
            return names;
        }
        const QByteArray written = name.toLatin1();
        keys.emplace_back(written.toLower(), written);
    }
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < keys.size(); ++i)
        names[qsizetype(i)] = QString::fromLatin1(keys[i].second);
    return names;
}
