#include "text/TextCoder.h"

#include <QDir>

namespace {

bool IsSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

qsizetype LastSeparator(const QString& path) {
    return qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

} // namespace

QString TextCoder::OnlyName(const QString& FileName) const {
    if (FileName.trimmed().size() < 2) return {};
    const qsizetype point = FileName.lastIndexOf(QLatin1Char('.'));
    return point >= 0 ? FileName.left(point) : FileName;
}

QString TextCoder::GetExt(const QString& Name) const {
    // A plain search for the last point: a point in a folder name counts when the file has none.
    const qsizetype point = Name.lastIndexOf(QLatin1Char('.'));
    if (point < 0 || point >= Name.size() - 1) return {};
    const QString ext = Name.mid(point + 1);
    return ext.size() >= 11 ? QString() : ext;
}

QString TextCoder::GetName(const QString& PathName) const {
    QString path = PathName;
    if (!path.isEmpty() && IsSeparator(path.back())) path.chop(1);
    const qsizetype cut = LastSeparator(path);
    if (cut >= 0 && cut < path.size() - 1) return path.mid(cut + 1);
    return path;
}

QString TextCoder::RulePath(const QString& Path) const {
    if (!Path.isEmpty() && IsSeparator(Path.back())) return Path;
    // A path written with backslashes only is a Windows path and keeps its own style.
    const bool windowsStyle = Path.contains(QLatin1Char('\\')) && !Path.contains(QLatin1Char('/'));
    return Path + (windowsStyle ? QLatin1Char('\\') : QDir::separator());
}

QString TextCoder::GetFnameUnicPart(const QString& Fname) const {
    const QString name = OnlyName(GetName(Fname));
    const qsizetype underscore = name.lastIndexOf(QLatin1Char('_'));
    return underscore < 0 ? name : name.mid(underscore + 1);
}
