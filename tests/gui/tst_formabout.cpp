#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FileManager.h"
#include "shell/FormAbout.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestFormAbout : public QObject {
    Q_OBJECT
private slots:
    void textsAndPictures() {
        QCOMPARE(VersionLine(1, 10, 1), u"Версия: 1.10.1"_s); // no padding
        QCOMPARE(ExplorerCommandLine(u"C:\\Мои документы\\выписка 1.txt"_s),
                 u"Explorer /n, /select, \"C:\\Мои документы\\выписка 1.txt\""_s);
        // The disclaimer, an empty line, the heading and "- " lines, CR LF between, none after.
        const QStringList lines = AboutInfoText().split(u"\r\n"_s);
        QCOMPARE(lines.size(), 6);
        QVERIFY(!lines[0].trimmed().isEmpty() && lines[1].isEmpty());
        QCOMPARE(lines[2], u"Сторонние библиотеки в составе продукта:"_s);
        for (const QString& line : lines)
            QVERIFY(!line.contains('\r') && !line.contains('\n') &&
                    line.startsWith(u"- "_s) == (&line >= &lines[3]));
        FormAbout about(LogoPixmap());
        QLabel* info = about.findChild<QLabel*>("LabelW4");
        QCOMPARE(info->text().split('\n'), lines); // one line per CR LF, and all of them fit
        QVERIFY(info->heightForWidth(info->width()) <= info->height());
        for (const char* name : {"LabelW1", "LabelW2", "LabelW3"}) {
            QLabel* label = about.findChild<QLabel*>(name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
        }
        // The icon in all its sizes; the logo keeps its transparency and proportions when shown.
        for (int s : {16, 24, 32, 48, 64, 128, 256})
            QVERIFY(AppIcon().availableSizes().contains(QSize(s, s)));
        QLabel* logo = about.findChild<QLabel*>("AlphaLogo");
        const QPixmap shown = logo->pixmap();
        QVERIFY(shown.hasAlphaChannel() && shown.width() <= logo->width());
        QVERIFY(shown.height() <= logo->height() && qAbs(shown.width() - 2 * shown.height()) <= 2);
    }

    // The logo drags the window with the left button only; the owner stays where it is.
    void draggingTheLogo() {
        for (const auto& [button, shift, moved] :
             {std::tuple{Qt::LeftButton, QPoint(50, 24), QPoint(50, 24)},
              {Qt::LeftButton, QPoint(-16, -8), QPoint(-16, -8)},
              {Qt::RightButton, QPoint(50, 24), QPoint(0, 0)}}) {
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
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
