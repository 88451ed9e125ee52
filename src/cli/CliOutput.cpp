#include "cli/CliCommon.h"

#include "checks/CheckFindings.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "cli/Cli.h"
#include "cli/CliSafety.h"
#include "export/TemplateFindings.h"
#include "findings/Findings.h"
#include "settings/ConfigLocation.h"
#include "settings/INIStorage.h"
#include "text/DisplayLocale.h"
#include "text/EscapeControls.h"
#include "text/FileNames.h"
#include "text/TextCoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
const QString ProgramName = QStringLiteral("vypiska-cli");
} // namespace

// Appends the text with what would break a TSV line or drive a terminal (backslash, every C0 and
// C1 control character) or a JSON string (those and quotes) escaped; the rest goes as it is, in
// runs.
void AppendEscaped(QString& out, const QString& text, CliEscape how) {
    // C1 controls too: a terminal may take U+009B for the start of a command. A byte a file name
    // kept from no valid UTF-8 is written as that byte, "\xE9".
    const auto special = [&](qsizetype i) {
        const QChar c = text[i];
        return c == u'\\' || c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) ||
               (how == CliEscape::Json && c == u'"') || IsKeptByte(text, i);
    };
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!special(i)) continue;
        out += QStringView(text).sliced(from, i - from);
        from = i + 1;
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            if (how == CliEscape::Json && c == u'"')
                out += QLatin1String("\\\"");
            else if (how == CliEscape::Json)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else // shown as stderr shows it, never obeyed by the terminal
                out += EscapeControls(QString(c));
        }
    }
    out += QStringView(text).sliced(from);
}

void AppendJsonString(QString& out, const QString& text) {
    out += u'"';
    AppendEscaped(out, text, CliEscape::Json);
    out += u'"';
}

bool WriteAll(std::FILE* stream, const QByteArray& bytes) {
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(bytes.size());
}

void PrintLine(std::FILE* stream, const QString& text) {
    // Names come from documents and archives: their control bytes are shown, never obeyed.
    WriteAll(stream, EscapeControls(text).toUtf8() + '\n');
}

void CliError(const QString& text) {
    PrintLine(stderr, ProgramName + QStringLiteral(": ") + text);
}

void PrintFindings(const FindingList& findings) {
    QString text;
    for (const Finding& finding : findings)
        text += EscapeControls(FindingLine(finding)) + u'\n';
    WriteAll(stderr, text.toUtf8());
}
