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
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
const QString ProgramName = QStringLiteral("vypiska-cli");
} // namespace

namespace {
// What would break a TSV line or drive a terminal (backslash, every C0 and C1 control
// character) or a JSON string (those and quotes). C1 controls too: a terminal may take U+009B
// for the start of a command. A byte a file name kept from no valid UTF-8 is written as that
// byte, "\xE9".
bool Special(const QString& text, qsizetype i, CliEscape how) {
    const QChar c = text[i];
    return c == u'\\' || c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) ||
           (how == CliEscape::Json && c == u'"') || IsKeptByte(text, i);
}

// What a special character is written as.
QString Escaped(const QString& text, qsizetype i, CliEscape how) {
    const QChar c = text[i];
    switch (c.unicode()) {
    case '\\':
        return QStringLiteral("\\\\");
    case '\t':
        return QStringLiteral("\\t");
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    default:
        if (how == CliEscape::Json && c == u'"') return QStringLiteral("\\\"");
        if (how == CliEscape::Json)
            return QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        return EscapeControls(QString(c)); // shown as stderr shows it, never obeyed
    }
}
} // namespace

// The rest goes as it is, in runs.
void AppendEscaped(QString& out, const QString& text, CliEscape how) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!Special(text, i, how)) continue;
        out += QStringView(text).sliced(from, i - from);
        from = i + 1;
        out += Escaped(text, i, how);
    }
    out += QStringView(text).sliced(from);
}

void AppendEscapedUtf8(QByteArray& out, const QString& text, CliEscape how) {
    const qsizetype size = text.size();
    const char16_t* const units = reinterpret_cast<const char16_t*>(text.constData());
    // Room for the longest writing: an escape takes at most six bytes for a unit, UTF-8 three.
    const qsizetype start = out.size();
    if (out.capacity() < start + 6 * size) out.reserve(2 * (start + 6 * size));
    out.resize(start + 6 * size);
    char* const begin = out.data();
    char* p = begin + start;
    const char16_t quote = how == CliEscape::Json ? u'"' : u'\\';
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = units[i];
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != quote) {
            *p++ = char(c);
        } else if (c >= 0xA0 && c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0x800 && (c < 0xD800 || c >= 0xE000)) {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        } else {
            // Controls, a backslash or quote, surrogates: as AppendEscaped and Qt's UTF-8 write
            // them. A pair goes whole, so that each half is not taken for a lone one.
            const bool pair =
                QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]);
            const QByteArray bytes = Special(text, i, how)
                                         ? Escaped(text, i, how).toUtf8()
                                         : QStringView(units + i, pair ? 2 : 1).toUtf8();
            std::memcpy(p, bytes.constData(), size_t(bytes.size()));
            p += bytes.size();
            i += pair ? 1 : 0;
        }
    }
    out.resize(p - begin);
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
