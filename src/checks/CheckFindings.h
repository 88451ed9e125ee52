#pragma once

#include "checks/DocumentChecks.h"
#include "findings/Findings.h"
#include "reading/DocumentTable.h"

// "счет организации" when the organisation's account (ACC of CONFIG.INI) is missing or wrong;
// nothing when it is sound.
FindingList AccountFindings(const QString& account);

// The checks' findings in table order: failing cells, then each document of a duplicate group
// with the others named.
FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks);
