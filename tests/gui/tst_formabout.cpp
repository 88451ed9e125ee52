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
    void texts() {
        QCOMPARE(VersionLine(1, 10, 1), QStringLiteral("Версия: 1.10.1")); // no padding
        QCOMPARE(ExplorerCommandLine(QStringLiteral("C:\\Мои документы\\выписка 1.txt")),
                 QStringLiteral("Explorer /n, /select, \"C:\\Мои документы\\выписка 1.txt\""));
        // The disclaimer, an empty line, the heading and "- " lines, CR LF between, none after.
        const QStringList lines = AboutInfoText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QVERIFY(!lines[0].trimmed().isEmpty() && lines[1].isEmpty());
        QCOMPARE(lines[2], QStringLiteral("Сторонние библиотеки в составе продукта:"));
        for (const QString& line : lines)
            QVERIFY(!line.contains('\r') && !line.contains('\n') &&
                    line.startsWith(QStringLiteral("- ")) == (&line >= &lines[3]));

        FormAbout about(LogoPixmap());
        QLabel* info = about.findChild<QLabel*>("LabelW4");
        QCOMPARE(info->text().split('\n'), lines); // one line per CR LF, and all of them fit
        QVERIFY(info->heightForWidth(info->width()) <= info->height());
        for (const char* name : {"LabelW1", "LabelW2", "LabelW3"}) {
            QLabel* label = about.findChild<QLabel*>(name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
        }
        QCOMPARE(about.findChild<QLabel*>("LabelW1")->text(), VersionLine());
    }

    void pictures() {
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

    void draggingTheLogo_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("left") << Qt::LeftButton << QPoint(50, 24) << QPoint(50, 24);
        QTest::newRow("left, back") << Qt::LeftButton << QPoint(-16, -8) << QPoint(-16, -8);
        QTest::newRow("right") << Qt::RightButton << QPoint(50, 24) << QPoint(0, 0);
    }
    void draggingTheLogo() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, shift);
        QFETCH(QPoint, moved);
        QWidget owner;
        owner.show();
        const QPoint ownerAt = owner.pos();
        FormAbout about(LogoPixmap(), &owner);
        about.move(200, 150);
        about.show();
        const QPoint start = about.pos();
        QLabel* logo = about.findChild<QLabel*>("AlphaLogo");
        const QPoint from = logo->mapToGlobal(QPoint(20, 20));
        QMouseEvent press(QEvent::MouseButtonPress, QPoint(20, 20), from, button, button, {});
        QApplication::sendEvent(logo, &press);
        // Each move's local position is taken where the logo is then, as the system would.
        for (const QPoint to : {from + shift / 2, from + shift}) {
            QMouseEvent move(QEvent::MouseMove, logo->mapFromGlobal(to), to, {}, button, {});
            QApplication::sendEvent(logo, &move);
        }
        QCOMPARE(about.pos() - start, moved);
        QCOMPARE(owner.pos(), ownerAt);
        QTest::mouseClick(about.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
