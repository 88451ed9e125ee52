#pragma once

#include <QLocale>
#include <QString>

// The text utilities shared by reading, export and settings. One instance is made at start-up
// and passed by reference; every operation is const and safe to call from the reading thread.
class TextCoder {
public:
    explicit TextCoder(const QLocale& locale = QLocale::system());

    const QLocale& Locale() const { return m_locale; }

    // Paths: cut at both '/' and '\'
    QString OnlyName(const QString& FileName) const;
    QString GetExt(const QString& Name) const;
    QString GetName(const QString& PathName) const;
    QString RulePath(const QString& Path) const;
    QString GetFnameUnicPart(const QString& Fname) const;

    // Tags
    QString ReadTag(const QString& TotalText, const QString& TagName) const;

private:
    QLocale m_locale;
};
