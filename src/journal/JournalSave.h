#pragma once

#include "checks/OrganisationSide.h"
#include "findings/Findings.h"
#include "journal/JournalPlace.h"
#include "reading/DocumentTable.h"

#include <QCryptographicHash>
#include <QString>

#include <memory>

class Journal;

// One save as the journal sees it. Made before the statement is written, it hashes the bytes as
// they go; the record goes in, pending, just before the statement is put in its place and is
// confirmed just after. A save that fails or is stopped before the rename records nothing, and
// nothing the journal meets stops the save: it is said in the findings.
class JournalSave {
public:
    JournalSave(const JournalPlace& place, const QString& target, const QString& templatePath,
                const DocumentTable& documents, const Organisation& org);
    ~JournalSave();

    void Add(const QByteArray& piece);
    void BeforeRename();
    void AfterRename(bool renamed);
    const FindingList& Findings() const { return m_findings; }
    bool Recorded() const { return m_recorded; }

private:
    bool m_active = false;
    JournalPlace m_place;
    QString m_target;
    QString m_template;
    const DocumentTable& m_documents;
    Organisation m_org;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    std::unique_ptr<Journal> m_journal;
    qint64 m_id = 0;
    FindingList m_findings;
    bool m_recorded = false;
};

// The key and source of every checked document, in table order.
std::vector<struct JournalDocument> JournalDocuments(const DocumentTable& documents);
