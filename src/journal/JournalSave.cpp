#include "journal/JournalSave.h"

#include "checks/DocumentKey.h"
#include "journal/Journal.h"

#include <QFileInfo>

std::vector<JournalDocument> JournalDocuments(const DocumentTable& documents) {
    std::vector<JournalDocument> list;
    const DocumentKeys keys(documents.Columns);
    QHash<QString, QString> dates;
    for (const DocumentRow& row : documents.Rows)
        if (row.Checked) list.push_back({keys.Key(row, &dates), row.SourcePath});
    return list;
}

JournalSave::JournalSave(const JournalPlace& place, const QString& target,
                         const QString& templatePath, const DocumentTable& documents,
                         const Organisation& org)
    : m_active(place.Type != JournalPlace::Kind::Off && JournaledSave(templatePath, target)),
      m_place(place), m_target(target), m_template(templatePath), m_documents(documents),
      m_org(org) {}

JournalSave::~JournalSave() = default;

void JournalSave::Add(const QByteArray& piece) {
    if (m_active) m_hash.addData(piece);
}

void JournalSave::BeforeRename() {
    if (!m_active) return;
    m_journal = std::make_unique<Journal>(m_place);
    JournalStatement statement;
    statement.File = m_target;
    statement.Hash = QString::fromLatin1(m_hash.result().toHex());
    statement.Template = QFileInfo(m_template).fileName();
    statement.Time = QDateTime::currentDateTimeUtc();
    statement.Acc = m_org.Account;
    statement.Inn = m_org.Inn;
    m_id = m_journal->AddPending(statement, JournalDocuments(m_documents));
}

void JournalSave::AfterRename(bool renamed) {
    if (!m_journal) return;
    if (m_id > 0 && renamed) m_recorded = m_journal->Confirm(m_id);
    if (m_id > 0 && !renamed) m_journal->Drop(m_id);
    m_findings = m_journal->Findings();
    m_journal.reset();
}
