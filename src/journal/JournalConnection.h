#pragma once

#include "journal/Journal.h"

#include <QSqlDatabase>

// One Qt SQL connection of the journal, named for it alone and removed with it.
struct Journal::Connection {
    QString Name;
    bool Postgres = false;
    QSqlDatabase Db() const { return QSqlDatabase::database(Name, false); }
    ~Connection() {
        {
            QSqlDatabase db = Db();
            if (db.isValid()) db.close();
        }
        QSqlDatabase::removeDatabase(Name);
    }
};

// A journal's times are kept as UTC ISO text, which sorts as the times do.
inline QDateTime JournalTimeOf(const QVariant& text) {
    return QDateTime::fromString(text.toString(), Qt::ISODateWithMs).toUTC();
}
