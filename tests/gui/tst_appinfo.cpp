#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FileManager.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QtTest>

class TestAppInfo : public QObject {
    Q_OBJECT

private slots:
    void versionLine_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("patch");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1.0.1") << 1 << 0 << 1 << "Версия: 1.0.1";
        QTest::newRow("two-digit minor, no padding") << 2 << 10 << 0 << "Версия: 2.10.0";
        QTest::newRow("large numbers") << 12 << 345 << 6789 << "Версия: 12.345.6789";
    }
    void versionLine() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, patch);
        QFETCH(QString, expected);
        QCOMPARE(VersionLine(major, minor, patch), expected);
    }

    void builtVersionIsTheProjectVersion() {
        QCOMPARE(VersionLine(), QStringLiteral("Версия: %1.%2.%3")
                                    .arg(VYPISKA_VERSION_MAJOR)
                                    .arg(VYPISKA_VERSION_MINOR)
                                    .arg(VYPISKA_VERSION_PATCH));
        QCOMPARE(ProductName(), QStringLiteral("Vypiska"));
    }

    void uiFontIsTahomaOnlyWhereInstalled() {
        const QFont font = UiFont();
        if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
            QCOMPARE(font.family(), QStringLiteral("Tahoma"));
            QCOMPARE(font.pointSize(), 9);
        } else {
            // Asking for a missing family would give some substitute, not the desktop's font.
            QCOMPARE(font, QApplication::font());
        }
    }

    void appIconHasEverySize() {
        const QIcon icon = AppIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (int s : {16, 24, 32, 48, 64, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
            QCOMPARE(icon.pixmap(QSize(s, s)).size(), QSize(s, s));
        }
    }

    void logoIs600By300WithTransparency() {
        const QImage logo = LogoPixmap().toImage();
        QCOMPARE(logo.size(), QSize(600, 300));
        QVERIFY(logo.hasAlphaChannel());
        QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(logo.pixel(599, 299)), 0);
    }

    void buttonIconsExist() {
        QVERIFY(!OpenFolderIcon().isNull());
        QVERIFY(!SettingsIcon().isNull());
        QVERIFY(!OpenFolderIcon().pixmap(16, 16).isNull());
        QVERIFY(!SettingsIcon().pixmap(16, 16).isNull());
    }

    void explorerCommandLine_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "C:\\Out\\v.txt"
                               << "Explorer /n, /select, \"C:\\Out\\v.txt\"";
        QTest::newRow("spaces and Cyrillic")
            << "C:\\Мои документы\\выписка 1.txt"
            << "Explorer /n, /select, \"C:\\Мои документы\\выписка 1.txt\"";
        QTest::newRow("network share") << "\\\\srv\\buh\\kl_to_1c.txt"
                                       << "Explorer /n, /select, \"\\\\srv\\buh\\kl_to_1c.txt\"";
    }
    void explorerCommandLine() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ExplorerCommandLine(path), expected);
    }
};

QTEST_MAIN(TestAppInfo)
#include "tst_appinfo.moc"
