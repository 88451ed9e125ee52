#pragma once

#include "findings/Findings.h"
#include "reading/DocumentTable.h"

#include <QByteArray>
#include <QString>

// What one worksheet holds at most: rows (headings and totals included) and a cell's characters.
constexpr qint64 XlsxMostRows = 1'048'576;
constexpr qsizetype XlsxLongestText = 32'767;

// A text as a workbook can hold it, in UTF-8: U+FFFE and U+FFFF (which no reader accepts in the
// sheet's XML) become U+FFFD, and a text over XlsxLongestText characters is cut there, never
// through a character. why (when given) says what was changed, or stays empty.
QByteArray XlsxText(const QString& text, QString* why = nullptr);

// The values of the checked documents that a workbook gets otherwise than written, one finding
// each, so that nothing is changed without a word.
FindingList XlsxValueFindings(const DocumentTable& table);

// Empty when a sheet of this many rows fits; else why not, in words for the user, naming the
// limit and what to do instead.
QString XlsxRowsProblem(qint64 rows);

// The library's return codes (lxw_error, 0 for success), every one looked at: the first failure
// is kept.
class XlsxCalls {
public:
    // True while every call so far has succeeded.
    bool operator()(int result) {
        if (m_error == 0) m_error = result;
        return m_error == 0;
    }
    bool Ok() const { return m_error == 0; }
    // The failure in words: the library's own, which names what went wrong.
    QString Why() const;

private:
    int m_error = 0;
};
