#pragma once

#include "findings/FindingRows.h"
#include "reading/DocumentTable.h"

#include <QString>

#include <functional>
#include <utility>
#include <vector>

// Why a save should be asked about before anything is written: each a sentence of its own. The
// window gathers them all into one question; a caller with reasons of its own adds them.
struct SaveReason {
    QString Text;
    bool AboutFindings = false; // the problems list shows what it speaks of
};
using SaveReasons = std::vector<SaveReason>;

// Every reason the window knows of: a reading the user stopped, the organisation's account the
// template needs (accountProblem, empty when none), nothing checked, findings of the kinds that
// touch money among the checked documents, an organisation account no document carries.
SaveReasons StatementSaveReasons(const DocumentTable& table, bool readingStopped,
                                 const QString& accountProblem, const FindingRows& findings);

// The reasons and "Сохранить?": one reason on one line with the question, several one a line.
QString SaveQuestionText(const SaveReasons& reasons);

// "Среди отмеченных: 2 повтора, 167 ошибок в реквизитах." over the findings whose document is
// checked; empty when there are none.
QString CheckedFindingsText(const FindingRows& findings, const DocumentTable& table);


// The problems tab's title: "Замечания (12)", or under a filter "Замечания (3 из 12)".
QString ProblemsTitle(qint64 shown, qint64 all, bool filtered);
