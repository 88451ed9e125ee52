#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FileManager.h"
#include "shell/FormAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestFormAbout : public QObject {
    Q_OBJECT

private slots:
    void versionLine_data() {
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1.0.1") << 0 << "Версия: 1.0.1";
        QTest::newRow("two-digit minor, no padding") << 10 << "Версия: 1.10.1";
    }
    void versionLine() {
        QFETCH(int, minor);
        QFETCH(QString, expected);
        QCOMPARE(VersionLine(1, minor, 1), expected);
    }

    void showsNameVersionAndInfoText() {
        FormAbout about(LogoPixmap());
        QCOMPARE(about.findChild<QLabel*>("LabelW2")->text(), QStringLiteral("Vypiska"));
        QCOMPARE(about.findChild<QLabel*>("LabelW1")->text(), VersionLine());
        const QStringList lines = AboutInfoText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6); // no trailing line break
        QVERIFY(!lines[0].trimmed().isEmpty());
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], QStringLiteral("Сторонние библиотеки в составе продукта:"));
        for (const QString& line : lines) {
            QVERIFY(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
            QVERIFY(line.startsWith(QStringLiteral("- ")) == (&line >= &lines[3]));
        }
        // The label shows one line per CR LF, and all of them fit.
        QLabel* info = about.findChild<QLabel*>("LabelW4");
        QCOMPARE(info->text().split(QLatin1Char('\n')), lines);
        QVERIFY(info->heightForWidth(info->width()) <= info->height());
        for (const char* name : {"LabelW1", "LabelW2", "LabelW3"}) {
            QLabel* label = about.findChild<QLabel*>(name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
        }
    }

    void picturesHaveTheirSizes() {
        const QList<QSize> sizes = AppIcon().availableSizes();
        for (int s : {16, 24, 32, 48, 64, 128, 256})
            QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
        const QImage logo = LogoPixmap().toImage();
        QCOMPARE(logo.size(), QSize(600, 300));
        QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
        QVERIFY(!OpenFolderIcon().pixmap(16).isNull() && !SettingsIcon().pixmap(16).isNull());

        FormAbout about(LogoPixmap());
        QLabel* label = about.findChild<QLabel*>("AlphaLogo");
        const QPixmap shown = label->pixmap();
        QVERIFY(shown.hasAlphaChannel());
        QVERIFY(shown.width() <= label->width() && shown.height() <= label->height());
        QVERIFY(qAbs(shown.width() - 2 * shown.height()) <= 2); // not stretched
    }

    void okCloses() {
        FormAbout about(LogoPixmap());
        about.show();
        QTest::mouseClick(about.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void draggingTheLogoMovesTheWindow_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("left") << Qt::LeftButton << QPoint(50, 24) << QPoint(50, 24);
        QTest::newRow("left, back") << Qt::LeftButton << QPoint(-16, -8) << QPoint(-16, -8);
        QTest::newRow("right") << Qt::RightButton << QPoint(50, 24) << QPoint(0, 0);
    }
    void draggingTheLogoMovesTheWindow() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, shift);
        QFETCH(QPoint, expected);
        QWidget owner;
        owner.show();
        const QPoint ownerAt = owner.pos();
        FormAbout about(LogoPixmap(), &owner);
        about.move(200, 150);
        about.show();
        const QPoint start = about.pos();
        QLabel* logo = about.findChild<QLabel*>("AlphaLogo");
        const QPoint from(20, 20);
        const QPoint globalFrom = logo->mapToGlobal(from);
        QMouseEvent press(QEvent::MouseButtonPress, from, globalFrom, button, button, {});
        QApplication::sendEvent(logo, &press);
        // The window follows the pointer, so each move's local position is taken where the
        // logo is at that moment, as the system would.
        for (int step = 1; step <= 2; ++step) {
            const QPoint global = globalFrom + shift * step / 2;
            QMouseEvent move(QEvent::MouseMove, logo->mapFromGlobal(global), global, Qt::NoButton,
                             button, {});
            QApplication::sendEvent(logo, &move);
        }
        QCOMPARE(about.pos() - start, expected);
        QCOMPARE(owner.pos(), ownerAt);
    }

    void explorerCommandLine() {
        QCOMPARE(ExplorerCommandLine(QStringLiteral("C:\\Мои документы\\выписка 1.txt")),
                 QStringLiteral("Explorer /n, /select, \"C:\\Мои документы\\выписка 1.txt\""));
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
