#include "settings/IniFile.h"

#include "text/SettingsFile.h"
#include "text/Cp1251.h"
#include "text/SafeWrite.h"

#include <QFile>

#include <vector>

namespace {

// One line of the file as it stands: its bytes without the line end, and the line end itself,
// so that lines we do not change are written back exactly.
struct Line {
    QByteArray Body;
    QByteArray End; // "\r\n", "\n" or "" for a last line without one
};

enum class Kind { Other, Section, Entry };

struct Parsed {
    Kind What = Kind::Other;
    QString Name;  // section or key name, trimmed
    QString Value; // entry value, trimmed
};

const QByteArray CrLf = QByteArrayLiteral("\r\n");

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString TrimBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from).toString();
}

std::vector<Line> SplitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back({bytes.mid(start), {}});
            break;
        }
        qsizetype bodyEnd = lf;
        if (bodyEnd > start && bytes[bodyEnd - 1] == '\r') --bodyEnd;
        lines.push_back({bytes.mid(start, bodyEnd - start), bytes.mid(bodyEnd, lf + 1 - bodyEnd)});
        start = lf + 1;
    }
    return lines;
}

Parsed Parse(const Line& line) {
    const QString text = TrimBlanks(Cp1251::Decode(line.Body));
    Parsed p;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        p.What = Kind::Section;
        p.Name = TrimBlanks(QStringView(text).mid(1, close < 0 ? -1 : close - 1));
        return p;
    }
    if (text.startsWith(u';')) return p;
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0) return p;
    p.What = Kind::Entry;
    p.Name = TrimBlanks(QStringView(text).left(eq));
    p.Value = TrimBlanks(QStringView(text).mid(eq + 1));
    return p;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section and a key stand in the lines: -1 for what is not there.
struct Place {
    qsizetype Section = -1;
    qsizetype SectionEnd = -1; // one past the section's last non-blank line
    qsizetype Key = -1;
    QString Value;
};

Place Find(const std::vector<Line>& lines, const QString& section, const QString& key) {
    Place place;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const Parsed p = Parse(lines[i]);
        if (place.Section < 0) {
            if (p.What == Kind::Section && SameName(p.Name, section)) {
                place.Section = i;
                place.SectionEnd = i + 1;
            }
            continue;
        }
        // Only the first section of the name counts, as with the system's own reader.
        if (p.What == Kind::Section) break;
        if (!TrimBlanks(Cp1251::Decode(lines[i].Body)).isEmpty()) place.SectionEnd = i + 1;
        if (place.Key < 0 && p.What == Kind::Entry && SameName(p.Name, key)) {
            place.Key = i;
            place.Value = p.Value;
        }
    }
    return place;
}

// A pipe or a device in the file's place is never opened, a huge file never read.
std::optional<QByteArray> ReadBytes(const QString& path) {
    return ReadSettingsFile(path);
}

} // namespace

std::optional<QString> IniFile::Read(const QString& section, const QString& key) const {
    const std::optional<QByteArray> bytes = ReadBytes(m_path);
    if (!bytes) return std::nullopt;
    const Place place = Find(SplitLines(*bytes), section, key);
    if (place.Key < 0) return std::nullopt;
    return place.Value;
}

bool IniFile::Write(const QString& section, const QString& key, const QString& value) const {
    QByteArray old;
    if (QFile::exists(m_path)) {
        const std::optional<QByteArray> bytes = ReadBytes(m_path);
        if (!bytes) return false; // never overwrite what we could not read
        old = *bytes;
    }
    std::vector<Line> lines = SplitLines(old);

    QString flat = value;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    const Line entry{Cp1251::Encode(key + u'=' + flat), CrLf};

    const Place place = Find(lines, section, key);
    if (place.Key >= 0) {
        lines[place.Key].Body = entry.Body;
    } else if (place.Section >= 0) {
        Line& last = lines[place.SectionEnd - 1];
        if (last.End.isEmpty()) last.End = CrLf;
        lines.insert(lines.begin() + place.SectionEnd, entry);
    } else {
        if (!lines.empty() && lines.back().End.isEmpty()) lines.back().End = CrLf;
        lines.push_back({Cp1251::Encode(u'[' + section + u']'), CrLf});
        lines.push_back(entry);
    }

    QByteArray bytes;
    bytes.reserve(old.size() + entry.Body.size() + section.size() + 8);
    for (const Line& line : lines)
        bytes += line.Body + line.End;
    return WriteFileAtomically(m_path, bytes, ReadOnlyTarget::Refuse);
}
