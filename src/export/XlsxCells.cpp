#include "export/XlsxCells.h"

#include "checks/DocumentChecks.h"

#include <xlsxwriter.h>

QByteArray XlsxText(const QString& text, QString* why) {
    if (why) why->clear();
    QString kept = text;
    bool replaced = false;
    for (QChar& c : kept) {
        if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) {
            c = QChar(0xFFFD);
            replaced = true;
        }
    }
    bool cut = false;
    if (kept.size() > XlsxLongestText) {
        qsizetype keep = XlsxLongestText;
        // Half of a character outside the basic plane would be written as "?".
        if (kept[keep - 1].isHighSurrogate()) --keep;
        kept.truncate(keep);
        cut = true;
    }
    if (why) {
        QStringList said;
        if (replaced) said << QStringLiteral("знаки U+FFFE и U+FFFF заменены на U+FFFD");
        if (cut)
            said << QStringLiteral("обрезано до %1 знаков: больше ячейка Excel не вмещает")
                        .arg(kept.size());
        *why = said.join(QStringLiteral("; "));
    }
    return kept.toUtf8();
}

FindingList XlsxValueFindings(const DocumentTable& table) {
    FindingList out;
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        for (std::size_t c = 0; c < table.Columns.size(); ++c) {
            const QString value = row.ExportValue(int(c)).trimmed();
            if (value.size() <= XlsxLongestText && !value.contains(QChar(0xFFFE)) &&
                !value.contains(QChar(0xFFFF)))
                continue;
            QString why;
            XlsxText(value, &why);
            // The value itself may be huge: its beginning tells which one it is.
            constexpr qsizetype Shown = 60;
            const QString shown =
                value.size() > Shown ? value.left(Shown) + QStringLiteral("…") : value;
            out.push_back({FindingKind::Altered, DocumentName(row.SourcePath),
                           table.Columns[c].Caption, shown,
                           QStringLiteral("в реестре Excel ") + why, row.SourcePath});
        }
    }
    return out;
}

QString XlsxRowsProblem(qint64 rows) {
    if (rows <= XlsxMostRows) return {};
    return QStringLiteral("листу Excel нужно %1 строк, а он вмещает не больше %2; отметьте "
                          "меньше документов (--rows) или сохраните реестр в PDF")
        .arg(rows)
        .arg(XlsxMostRows);
}

QString XlsxCalls::Why() const {
    return QString::fromUtf8(lxw_strerror(lxw_error(m_error)));
}
