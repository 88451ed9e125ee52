// The journal's records: what a save writes into it and what the list and the command line ask.
#include "journal/Journal.h"
#include "journal/JournalConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <QCoreApplication>

namespace {

QString TimeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// Statements are kept by their absolute path: "out.txt" and "./out.txt" are one file.
QString FileKey(const QString& file) {
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

} // namespace

QHash<QString, JournalMark> Journal::Exported(const QStringList& keys) {
    QHash<QString, JournalMark> found;
    if (!m_db || m_state == JournalState::Unusable) return found;
    QSqlDatabase db = m_db->Db();
    // In slices: a query takes only so many bound values.
    constexpr qsizetype Slice = 400;
    for (qsizetype from = 0; from < keys.size(); from += Slice) {
        const qsizetype n = std::min(Slice, keys.size() - from);
        QStringList marks;
        for (qsizetype i = 0; i < n; ++i)
            marks << QStringLiteral("?");
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT d.doc_key, s.file, s.written FROM documents d JOIN "
                                 "statements s ON s.id = d.statement WHERE s.confirmed = 1 AND "
                                 "d.doc_key IN (%1) ORDER BY s.id")
                      .arg(marks.join(u',')));
        for (qsizetype i = 0; i < n; ++i)
            q.addBindValue(keys.at(from + i));
        if (!q.exec()) {
            Said(QStringLiteral("журнал не удалось прочитать: %1").arg(q.lastError().text()));
            return found;
        }
        while (q.next())
            if (!found.contains(q.value(0).toString()))
                found.insert(q.value(0).toString(),
                             {q.value(1).toString(), JournalTimeOf(q.value(2))});
    }
    found.remove(QString());
    return found;
}

std::vector<JournalStatement> Journal::Statements(const QDateTime& since) {
    std::vector<JournalStatement> list;
    if (!m_db || m_state == JournalState::Unusable) return list;
    QSqlQuery q(m_db->Db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT s.id, s.file, s.hash, s.template, s.written, s.acc, s.inn, (SELECT COUNT(*) FROM "
        "documents d WHERE d.statement = s.id) FROM statements s WHERE s.confirmed = 1 AND "
        "s.written >= ? ORDER BY s.written, s.id"));
    q.addBindValue(since.isValid() ? TimeText(since) : QStringLiteral("0000"));
    if (!q.exec()) return list;
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                        q.value(3).toString(), JournalTimeOf(q.value(4)), q.value(5).toString(),
                        q.value(6).toString(), q.value(7).toLongLong()});
    return list;
}

std::vector<JournalDocument> Journal::Documents(const QString& file) {
    std::vector<JournalDocument> list;
    if (!m_db || m_state == JournalState::Unusable) return list;
    QSqlQuery q(m_db->Db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT d.doc_key, d.source FROM documents d JOIN statements s ON "
                             "s.id = d.statement WHERE s.confirmed = 1 AND s.file = ? ORDER BY "
                             "s.id"));
    q.addBindValue(FileKey(file));
    if (!q.exec()) return list;
    while (q.next())
        list.push_back({q.value(0).toString(), q.value(1).toString()});
    return list;
}

int Journal::Forget(const QString& file) {
    if (!m_db || m_state == JournalState::Unusable) return -1;
    QSqlDatabase db = m_db->Db();
    if (!db.transaction()) return -1;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM documents WHERE statement IN (SELECT id FROM "
                             "statements WHERE file = ?)"));
    q.addBindValue(FileKey(file));
    bool ok = q.exec();
    q.prepare(QStringLiteral("DELETE FROM statements WHERE file = ?"));
    q.addBindValue(FileKey(file));
    ok = ok && q.exec();
    const int dropped = q.numRowsAffected();
    if (!ok || !db.commit()) {
        db.rollback();
        return -1;
    }
    return dropped;
}

qint64 Journal::AddPending(const JournalStatement& statement,
                           const std::vector<JournalDocument>& documents) {
    return AddPending(statement, documents.size(), [&](size_t from, size_t count) {
        return std::vector<JournalDocument>(documents.begin() + qsizetype(from),
                                            documents.begin() + qsizetype(from + count));
    });
}

qint64 Journal::AddPending(const JournalStatement& statement, size_t all,
                           const DocumentSlice& slice, const std::atomic<bool>* stop) {
    if (m_place.Type == JournalPlace::Kind::Postgres && m_state == JournalState::Unusable) {
        // The server is away: the local queue keeps the record until it answers again.
        if (!m_queue)
            m_queue = std::make_unique<Journal>(JournalPlace{
                JournalPlace::Kind::Sqlite, QueueFile(m_place.ConfigDir), m_place.ConfigDir});
        return m_queue->AddPending(statement, all, slice, stop);
    }
    if (!m_db || m_state == JournalState::Unusable) return 0;
    QSqlDatabase db = m_db->Db();
    const auto failed = [&](const QString& error) {
        db.rollback();
        Said(QStringLiteral("выписка '%1' не записана в журнал: %2")
                 .arg(QDir::toNativeSeparators(statement.File), error));
        return qint64(0);
    };
    // One transaction: a statement is in the journal with all its documents, or not at all.
    if (!db.transaction()) return failed(db.lastError().text());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO statements (file, hash, template, written, acc, inn, "
                             "confirmed, host, pid) VALUES (?, ?, ?, ?, ?, ?, 0, ?, ?) RETURNING "
                             "id"));
    // An empty text is kept as one: a null would be SQL's NULL.
    const auto text = [](const QString& s) { return QVariant(s.isNull() ? QStringLiteral("") : s); };
    for (const QVariant& value :
         {QVariant(FileKey(statement.File)), text(statement.Hash), text(statement.Template),
          QVariant(TimeText(statement.Time.isValid() ? statement.Time
                                                     : QDateTime::currentDateTimeUtc())),
          text(statement.Acc), text(statement.Inn),
          QVariant(QSysInfo::machineHostName()),
          QVariant(qint64(QCoreApplication::applicationPid()))})
        q.addBindValue(value);
    if (!q.exec() || !q.next()) return failed(q.lastError().text());
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    q.prepare(QStringLiteral("INSERT INTO documents (statement, doc_key, source) VALUES (?, ?, ?)"));
    // In slices, so that a save stopped meanwhile need not wait for a year's documents.
    constexpr size_t Slice = 4096;
    for (size_t from = 0; from < all; from += Slice) {
        if (stop && stop->load()) {
            db.rollback();
            return 0;
        }
        QVariantList ids, keys, sources;
        for (const JournalDocument& d : slice(from, std::min(Slice, all - from))) {
            ids << id;
            keys << d.Key;
            sources << d.Source;
        }
        if (keys.isEmpty()) continue;
        q.addBindValue(ids);
        q.addBindValue(keys);
        q.addBindValue(sources);
        if (!q.execBatch()) return failed(q.lastError().text());
    }
    if (!db.commit()) return failed(db.lastError().text());
    return id;
}

bool Journal::Seal(qint64 id, const QString& hash, const QDateTime& written) {
    if (m_queue) return m_queue->Seal(id, hash, written);
    if (!m_db || id <= 0) return false;
    QSqlQuery q(m_db->Db());
    q.prepare(QStringLiteral("UPDATE statements SET hash = ?, written = ? WHERE id = ? AND "
                             "confirmed = 0"));
    q.addBindValue(hash);
    q.addBindValue(TimeText(written));
    q.addBindValue(id);
    if (!q.exec() || q.numRowsAffected() != 1) {
        // Gone meanwhile: settled away by another program that took this one for dead.
        const QString error = q.lastError().isValid() ? q.lastError().text()
                                                      : QStringLiteral("запись выписки пропала");
        Said(QStringLiteral("выписка не записана в журнал: %1").arg(error));
        return false;
    }
    return true;
}

bool Journal::Confirm(qint64 id) {
    if (m_queue) return m_queue->Confirm(id);
    if (!m_db || id <= 0) return false;
    QSqlDatabase db = m_db->Db();
    if (!db.transaction()) return false;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE statements SET confirmed = 1 WHERE id = ?"));
    q.addBindValue(id);
    // The first statement recorded makes a journal begun anew one that knows.
    const bool ok = q.exec() && q.numRowsAffected() == 1 &&
                    q.exec(QStringLiteral("DELETE FROM journal_meta WHERE name = 'reset'"));
    if (!ok || !db.commit()) {
        db.rollback();
        Said(QStringLiteral("выписка не подтверждена в журнале: %1").arg(q.lastError().text()));
        return false;
    }
    if (m_state == JournalState::Reset) {
        m_state = JournalState::Ready;
        m_problem.clear();
    }
    return true;
}

void Journal::Drop(qint64 id) {
    if (m_queue) return m_queue->Drop(id);
    if (!m_db || id <= 0) return;
    QSqlDatabase db = m_db->Db();
    if (!db.transaction()) return;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM documents WHERE statement = ?"));
    q.addBindValue(id);
    bool ok = q.exec();
    q.prepare(QStringLiteral("DELETE FROM statements WHERE id = ?"));
    q.addBindValue(id);
    ok = ok && q.exec();
    if (!ok || !db.commit()) db.rollback();
}

void Journal::FlushQueue() {
    if (m_place.Type != JournalPlace::Kind::Postgres) return;
    const QString path = QueueFile(m_place.ConfigDir);
    if (!QFileInfo::exists(path)) return;
    Journal queue({JournalPlace::Kind::Sqlite, path, m_place.ConfigDir});
    for (const JournalStatement& s : queue.Statements()) {
        const qint64 id = AddPending(s, queue.Documents(s.File));
        if (id <= 0 || !Confirm(id)) return;
        queue.Drop(s.Id);
    }
}
