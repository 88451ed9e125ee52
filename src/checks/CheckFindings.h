#pragma once

#include "checks/DocumentChecks.h"
#include "findings/Findings.h"
#include "reading/DocumentTable.h"

// "счет организации" when the organisation's account (ACC of CONFIG.INI) is missing or wrong;
// nothing when it is sound.
FindingList AccountFindings(const QString& account);

// The checks' findings in table order: failing cells, then each document of a duplicate group
// with the others named. When more than half of the documents are not the organisation's, the
// account is the likelier fault: one "счет организации" finding says so (with the organisation's
// INN when given) instead of a "чужой документ" per document.
FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks,
                          const QString& organisationInn = {});

// Fills Номер, Дата and Сумма of the findings about a document of the table.
void AddDocumentFields(FindingList& findings, const DocumentTable& table);
