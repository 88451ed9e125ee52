#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FormAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestFormAbout : public QObject {
    Q_OBJECT

private:
    static QLabel* Label(const QWidget& w, const char* name) {
        auto* label = w.findChild<QLabel*>(QString::fromLatin1(name));
        if (!label) qFatal("no label %s", name);
        return label;
    }

private slots:
    void showsNameVersionAndTagline() {
        FormAbout about(LogoPixmap());
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(Label(about, "LabelW2")->text(), QStringLiteral("Vypiska"));
        QCOMPARE(Label(about, "LabelW2")->font().pointSizeF(), 12.0);
        QCOMPARE(Label(about, "LabelW1")->text(), VersionLine());
        QVERIFY(!Label(about, "LabelW3")->text().isEmpty());
        QVERIFY(!Label(about, "LabelW3")->text().contains(QLatin1Char('\n')));
    }

    void infoTextHasOneEmptyLineAndThreeCredits() {
        const QStringList lines = AboutInfoText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QVERIFY(!lines[0].trimmed().isEmpty());
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], QStringLiteral("Сторонние библиотеки в составе продукта:"));
        for (int i = 3; i < 6; ++i) {
            QVERIFY2(lines[i].startsWith(QStringLiteral("- ")) && lines[i].size() > 2,
                     qPrintable(lines[i]));
            // A stray CR or LF would show as an extra line break.
            QVERIFY(!lines[i].contains(QLatin1Char('\r')) && !lines[i].contains(QLatin1Char('\n')));
        }
        QVERIFY(!lines[0].contains(QLatin1Char('\r')) && !lines[0].contains(QLatin1Char('\n')));

        FormAbout about(LogoPixmap());
        QLabel* info = Label(about, "LabelW4");
        QVERIFY(info->wordWrap());
        QCOMPARE(info->text().split(QLatin1Char('\n')), lines);
        // All of it fits in the label.
        QVERIFY(info->heightForWidth(info->width()) <= info->height());
    }

    void logoKeepsItsProportions() {
        FormAbout about(LogoPixmap());
        QLabel* logo = Label(about, "AlphaLogo");
        const QPixmap shown = logo->pixmap();
        QVERIFY(!shown.isNull());
        QVERIFY(shown.hasAlphaChannel());
        QVERIFY(shown.width() <= logo->width() && shown.height() <= logo->height());
        QVERIFY(qAbs(shown.width() - 2 * shown.height()) <= 2);
    }

    void windowIsFixedAndHoldsItsControls() {
        FormAbout about(LogoPixmap());
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(about.width() >= 428 && about.height() >= 480);
        QVERIFY(!(about.windowFlags() & Qt::WindowMinMaxButtonsHint));
        for (const char* name : {"LabelW1", "LabelW2", "LabelW3"}) {
            QLabel* label = Label(about, name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
        }
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(ok);
        QVERIFY(about.rect().contains(ok->geometry()));
    }

    void okCloses() {
        FormAbout about(LogoPixmap());
        about.show();
        QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void draggingTheLogoMovesTheWindow_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("expectedShift");
        QTest::newRow("left button") << Qt::LeftButton << QPoint(70, 45) << QPoint(50, 25);
        QTest::newRow("left button backwards")
            << Qt::LeftButton << QPoint(5, 12) << QPoint(-15, -8);
        QTest::newRow("right button") << Qt::RightButton << QPoint(70, 45) << QPoint(0, 0);
    }
    void draggingTheLogoMovesTheWindow() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, to);
        QFETCH(QPoint, expectedShift);
        QWidget owner;
        owner.move(10, 10);
        owner.show();
        FormAbout about(LogoPixmap(), &owner);
        about.move(200, 150);
        about.show();
        const QPoint ownerAt = owner.pos();
        const QPoint start = about.pos();
        QLabel* logo = Label(about, "AlphaLogo");
        const QPoint from(20, 20);
        const QPoint globalFrom = logo->mapToGlobal(from);
        QMouseEvent press(QEvent::MouseButtonPress, from, globalFrom, button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(logo, &press);
        // The window follows the pointer, so the local position of each move is taken
        // where the logo is at that moment, as the system would.
        for (int step = 1; step <= 2; ++step) {
            const QPoint global = globalFrom + (to - from) * step / 2;
            QMouseEvent move(QEvent::MouseMove, logo->mapFromGlobal(global), global, Qt::NoButton,
                             button, Qt::NoModifier);
            QApplication::sendEvent(logo, &move);
        }
        QCOMPARE(about.pos() - start, expectedShift);
        QCOMPARE(owner.pos(), ownerAt);
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
