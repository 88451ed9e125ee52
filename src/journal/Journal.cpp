#include "journal/Journal.h"
#include "journal/JournalConnection.h"
#include "journal/StatementHash.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <cerrno>
#include <csignal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Each schema version's steps; a journal of an older version gets the steps after its own.
const std::vector<std::vector<QString>>& Migrations(bool postgres) {
    static const std::vector<std::vector<QString>> sqlite{
        {QStringLiteral("CREATE TABLE statements (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "file TEXT NOT NULL, hash TEXT NOT NULL, template TEXT, written TEXT NOT "
                        "NULL, acc TEXT, inn TEXT, confirmed INTEGER NOT NULL, host TEXT, pid "
                        "INTEGER)"),
         QStringLiteral("CREATE TABLE documents (statement INTEGER NOT NULL, doc_key TEXT NOT "
                        "NULL, source TEXT)"),
         QStringLiteral("CREATE INDEX documents_key ON documents (doc_key)"),
         QStringLiteral("CREATE INDEX documents_statement ON documents (statement)"),
         QStringLiteral("CREATE INDEX statements_file ON statements (file)")}};
    static const std::vector<std::vector<QString>> server{
        {QStringLiteral("CREATE TABLE statements (id BIGSERIAL PRIMARY KEY, file TEXT NOT NULL, "
                        "hash TEXT NOT NULL, template TEXT, written TEXT NOT NULL, acc TEXT, inn "
                        "TEXT, confirmed INTEGER NOT NULL, host TEXT, pid BIGINT)"),
         QStringLiteral("CREATE TABLE documents (statement BIGINT NOT NULL, doc_key TEXT NOT "
                        "NULL, source TEXT)"),
         QStringLiteral("CREATE INDEX documents_key ON documents (doc_key)"),
         QStringLiteral("CREATE INDEX documents_statement ON documents (statement)"),
         QStringLiteral("CREATE INDEX statements_file ON statements (file)")}};
    return postgres ? server : sqlite;
}

QString ConnectionName() {
    static QAtomicInt next;
    return QStringLiteral("vypiska-journal-%1").arg(next.fetchAndAddRelaxed(1));
}

bool ProcessGone(qint64 pid) {
#ifdef Q_OS_UNIX
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
#else
    Q_UNUSED(pid);
    return false;
#endif
}

// SQLite's own codes, as Qt passes them on.
bool DamageCode(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == u"11" || code == u"26"; // SQLITE_CORRUPT, SQLITE_NOTADB
}
bool BusyCode(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == u"5" || code == u"6"; // SQLITE_BUSY, SQLITE_LOCKED
}

// "postgresql://user@host:port/db", with ?host=/run/postgresql for a local socket folder.
struct ServerAddress {
    QString User, Host, Database;
    int Port = -1;
};
ServerAddress AddressOf(const QString& url) {
    const QUrl parsed(url);
    const QUrlQuery query(parsed);
    ServerAddress a{parsed.userName(), parsed.host(), parsed.path().mid(1), parsed.port()};
    if (query.hasQueryItem(QStringLiteral("host")))
        a.Host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        a.Port = query.queryItemValue(QStringLiteral("port")).toInt();
    return a;
}

} // namespace

Journal::Journal(const JournalPlace& place) : m_place(place) {
    switch (place.Type) {
    case JournalPlace::Kind::Off:
        m_problem = QStringLiteral("журнал выгрузок не ведется");
        return;
    case JournalPlace::Kind::Sqlite:
        if (!OpenSqlite()) return;
        break;
    case JournalPlace::Kind::Postgres:
        if (!OpenPostgres()) return;
        break;
    }
    Settle();
    if (m_state == JournalState::Ready) FlushQueue();
}

Journal::~Journal() = default;

void Journal::Said(const QString& why) {
    m_findings.push_back(SettingsFinding(QDir::toNativeSeparators(m_place.Where), why));
    m_findings.back().Kind = FindingKind::Journal;
    if (m_place.Type == JournalPlace::Kind::Postgres) m_findings.back().File = m_place.Where;
}

bool Journal::OpenSqlite() {
    const QString path = m_place.Where;
    const QFileInfo file(path);
    const auto refuse = [&](const QString& why) {
        m_state = JournalState::Unusable;
        m_problem = why;
        Said(why);
        m_db.reset();
        return false;
    };
    if (!file.absoluteDir().exists())
        return refuse(QStringLiteral("папка журнала '%1' не найдена")
                          .arg(QDir::toNativeSeparators(file.absolutePath())));
    if (const QString why = NetworkFolderProblem(file.absolutePath()); !why.isEmpty())
        return refuse(why);
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_db = std::make_unique<Connection>();
        m_db->Name = ConnectionName();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_db->Name);
        db.setDatabaseName(path);
        // Another program recording its statement holds the journal a moment: wait for it.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!db.open())
            return refuse(QStringLiteral("журнал '%1' не удалось открыть: %2")
                              .arg(QDir::toNativeSeparators(path), db.lastError().text()));
        bool damaged = false;
        if (Prepare(&damaged)) return true;
        if (!damaged || attempt > 0) return false;
        // A damaged journal is kept for whoever wants to look into it, and a new one begun.
        m_db.reset();
        const QString aside =
            path + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, aside))
            return refuse(QStringLiteral("журнал '%1' поврежден, и его не удалось отложить")
                              .arg(QDir::toNativeSeparators(path)));
        for (const char* tail : {"-wal", "-shm"})
            QFile::rename(path + QLatin1String(tail), aside + QLatin1String(tail));
        m_findings.clear();
        m_madeAnew = true;
        Said(QStringLiteral("журнал поврежден: он отложен в '%1' и начат новый; пока в новый не "
                            "записана выписка, он не знает, что уже выгружено")
                 .arg(QDir::toNativeSeparators(aside)));
    }
    return false;
}

bool Journal::OpenPostgres() {
    const ServerAddress address = AddressOf(m_place.Where);
    m_db = std::make_unique<Connection>();
    m_db->Name = ConnectionName();
    m_db->Postgres = true;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_db->Name);
    db.setDatabaseName(address.Database);
    db.setUserName(address.User);
    db.setHostName(address.Host);
    if (address.Port > 0) db.setPort(address.Port);
    // No password is ever stored: ~/.pgpass or the server's own authentication answers.
    // The server's notes ("already exists, skipping") are no user's business.
    db.setConnectOptions(
        QStringLiteral("connect_timeout=5;options='-c client_min_messages=warning'"));
    bool damaged = false;
    if (db.open() && Prepare(&damaged)) return true;
    // libpq's message runs over lines; the first says what happened.
    const QString error = db.lastError().text().trimmed().section(u'\n', 0, 0);
    m_db.reset();
    m_state = JournalState::Unusable;
    const QString why = error.isEmpty() ? QString() : QStringLiteral(": ") + error;
    m_problem = QStringLiteral("сервер журнала '%1' недоступен%2").arg(m_place.Where, why);
    Said(QStringLiteral("сервер журнала недоступен%1; выписки ждут в очереди '%2' и попадут в "
                        "журнал, когда он снова ответит")
             .arg(why, QDir::toNativeSeparators(QueueFile(m_place.ConfigDir))));
    return false;
}

bool Journal::Prepare(bool* damaged) {
    QSqlDatabase db = m_db->Db();
    QSqlQuery q(db);
    const auto failed = [&](const QSqlError& error) {
        *damaged = !m_db->Postgres && DamageCode(error);
        if (*damaged) return false;
        m_state = JournalState::Unusable;
        m_problem = BusyCode(error)
                        ? QStringLiteral("журнал '%1' занят другой программой дольше, чем "
                                         "ждали")
                              .arg(QDir::toNativeSeparators(m_place.Where))
                        : QStringLiteral("журнал '%1' не удалось прочитать: %2")
                              .arg(QDir::toNativeSeparators(m_place.Where), error.text());
        Said(m_problem);
        return false;
    };
    if (!m_db->Postgres) {
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) return failed(q.lastError());
        q.next();
        if (q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
            m_state = JournalState::Unusable;
            m_problem = QStringLiteral("журнал '%1' не удалось перевести в режим WAL")
                            .arg(QDir::toNativeSeparators(m_place.Where));
            Said(m_problem);
            return false;
        }
    }
    // SQLite takes the write lock at once: a read transaction that later writes fails without
    // waiting when another program wrote in between (two saves making a new journal together).
    if (m_db->Postgres ? !db.transaction() : !q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(m_db->Postgres ? db.lastError() : q.lastError());
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS journal_meta (name TEXT PRIMARY KEY, "
                               "value TEXT)")) ||
        !q.exec(QStringLiteral("SELECT value FROM journal_meta WHERE name = 'schema'"))) {
        const QSqlError error = q.lastError();
        db.rollback();
        return failed(error);
    }
    const int version = q.next() ? q.value(0).toInt() : 0;
    const auto& steps = Migrations(m_db->Postgres);
    if (version > int(steps.size())) {
        db.rollback();
        m_state = JournalState::Unusable;
        m_problem = QStringLiteral("журнал '%1' ведет более новая версия программы")
                        .arg(QDir::toNativeSeparators(m_place.Where));
        Said(m_problem);
        return false;
    }
    for (size_t v = size_t(version); v < steps.size(); ++v)
        for (const QString& step : steps[v])
            if (!q.exec(step)) {
                const QSqlError error = q.lastError();
                db.rollback();
                return failed(error);
            }
    bool ok = true;
    if (version < int(steps.size())) {
        ok = q.exec(QStringLiteral("DELETE FROM journal_meta WHERE name = 'schema'")) &&
             q.prepare(QStringLiteral("INSERT INTO journal_meta (name, value) VALUES ('schema', ?)"));
        q.addBindValue(QString::number(steps.size()));
        ok = ok && q.exec();
        // A journal begun in place of a damaged one knows nothing yet.
        if (ok && m_madeAnew)
            ok = q.exec(QStringLiteral(
                "INSERT INTO journal_meta (name, value) VALUES ('reset', '1')"));
    }
    if (!ok || !db.commit()) {
        const QSqlError error = ok ? db.lastError() : q.lastError();
        db.rollback();
        return failed(error);
    }
    m_state = JournalState::Ready;
    if (q.exec(QStringLiteral("SELECT value FROM journal_meta WHERE name = 'reset'")) && q.next()) {
        m_state = JournalState::Reset;
        m_problem = QStringLiteral("журнал начат заново после повреждения и еще не знает, что уже "
                                   "выгружено");
    }
    return true;
}

void Journal::Settle() {
    if (!m_db) return;
    QSqlDatabase db = m_db->Db();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT id, file, hash, host, pid, written FROM statements WHERE "
                               "confirmed = 0")))
        return;
    const QString host = QSysInfo::machineHostName();
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    std::vector<std::pair<qint64, bool>> settled;
    while (q.next()) {
        // A save still under way elsewhere keeps its pending record.
        const bool mine = q.value(3).toString() == host;
        if (mine ? !ProcessGone(q.value(4).toLongLong()) : JournalTimeOf(q.value(5)) > dayAgo) continue;
        const QString file = q.value(1).toString();
        settled.emplace_back(q.value(0).toLongLong(),
                             QFileInfo::exists(file) && FileHash(file) == q.value(2).toString());
    }
    for (const auto& [id, there] : settled)
        there ? (void)Confirm(id) : Drop(id);
}

QString QueueFile(const QString& configDir) {
    return QDir(configDir).absoluteFilePath(QStringLiteral("journal-queue.sqlite"));
}

QString FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    StatementHash hash;
    char chunk[64 * 1024];
    for (qint64 n; (n = file.read(chunk, sizeof chunk)) != 0;) {
        if (n < 0) return {};
        hash.Add(QByteArrayView(chunk, n));
    }
    return hash.Hex();
}
