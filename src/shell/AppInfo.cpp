#include "shell/AppInfo.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

QString ProductName() {
    return QStringLiteral("Vypiska");
}

QString VersionLine() {
    return VersionLine(VYPISKA_VERSION_MAJOR, VYPISKA_VERSION_MINOR, VYPISKA_VERSION_PATCH);
}

QString VersionLine(int major, int minor, int patch) {
    return QStringLiteral("Версия: %1.%2.%3").arg(major).arg(minor).arg(patch);
}

QFont UiFont() {
    const QString tahoma = QStringLiteral("Tahoma");
    // QFont would silently substitute a missing family; ask the database instead.
    if (QFontDatabase::families().contains(tahoma, Qt::CaseInsensitive)) return QFont(tahoma, 9);
    return QApplication::font();
}

QString AboutInfoText() {
    const QString crlf = QStringLiteral("\r\n");
    const QStringList credits{
        QStringLiteral("- Qt Widgets (The Qt Company): окна, кнопки и поля ввода"),
        QStringLiteral("- Qt Item Views (The Qt Company): список и таблица документов"),
        QStringLiteral("- Qt GUI (The Qt Company): изображения с прозрачностью"),
    };
    return QStringLiteral("Программа предоставляется «как есть», без каких-либо гарантий. "
                          "Перед загрузкой в 1С проверьте сформированную выписку.") +
           crlf + crlf + QStringLiteral("Сторонние библиотеки в составе продукта:") + crlf +
           credits.join(crlf);
}
