#include "journal/JournalPlace.h"

#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/FileNames.h"
#include "text/SettingsFile.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/vfs.h>
#endif

JournalPlace JournalPlaceOf(const QString& text, const QString& configDir) {
    const QString where = text.trimmed();
    if (where.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) return {};
    if (where.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        where.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return {JournalPlace::Kind::Postgres, where, configDir};
    return {JournalPlace::Kind::Sqlite, QFileInfo(where).absoluteFilePath(), configDir};
}

JournalPlace ResolveJournalPlace(const QString& configDir, const INIStorage& settings,
                                 const QString& given, bool off) {
    if (off) return {};
    if (!given.isEmpty()) return JournalPlaceOf(given, configDir);
    if (const QString env = qEnvironmentVariable("VYPISKA_JOURNAL"); !env.isEmpty())
        return JournalPlaceOf(env, configDir);
    const QString named = settings.ReadVal(Main, QStringLiteral("Journal"), {}).toString();
    if (!named.trimmed().isEmpty()) return JournalPlaceOf(named, configDir);
    return {JournalPlace::Kind::Sqlite,
            QDir(configDir).absoluteFilePath(QStringLiteral("journal.sqlite")), configDir};
}

QString NetworkFolderProblem(const QString& folder) {
#ifdef Q_OS_LINUX
    struct statfs fs {};
    if (::statfs(FileNameBytes(folder).constData(), &fs) != 0) return {};
    // The kernel's magic numbers (linux/magic.h and the file systems' own headers).
    static const struct {
        unsigned long Magic;
        const char* Name;
    } network[] = {{0x6969, "NFS"},          {0x517B, "SMB"},        {0xFF534D42, "CIFS"},
                   {0xFE534D42, "SMB2"},     {0x5346414F, "AFS"},    {0x73757245, "Coda"},
                   {0x00C36400, "Ceph"},     {0x01021997, "9p"},     {0x47504653, "GPFS"},
                   {0x0BD00BD0, "Lustre"}};
    for (const auto& fsType : network)
        if ((unsigned long)(fs.f_type) == fsType.Magic)
            return QStringLiteral("журнал в '%1' на сетевой файловой системе (%2): SQLite не может "
                                  "вести его там надежно; для общего журнала укажите сервер "
                                  "PostgreSQL (postgresql://...)")
                .arg(QDir::toNativeSeparators(folder), QLatin1String(fsType.Name));
#else
    Q_UNUSED(folder);
#endif
    return {};
}

bool JournaledSave(const QString& templatePath, const QString& target) {
    if (target.isEmpty() || target == QLatin1String("-")) return false;
#ifdef Q_OS_UNIX
    // A device or a pipe is written into: no file stays to be found again.
    struct stat st {};
    if (::stat(FileNameBytes(target).constData(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
#endif
    if (!SettingsFileProblem(templatePath).isEmpty()) return false;
    const std::optional<QString> read = ReadWholeFile(templatePath);
    if (!read) return false;
    const QString& text = *read;
    const TextCoder coder;
    const QString header = coder.ReadTag(text, QStringLiteral("header"));
    if (header.trimmed().startsWith(QLatin1String("1CClientBankExchange"))) return true;
    const QString formats = coder.ReadTag(text, QStringLiteral("formats"));
    return coder.ReadTag(formats, QStringLiteral("journal")).trimmed() == u"1";
}
