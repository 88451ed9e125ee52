#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FormAbout.h"

#include "TestMain.h"

#include <QLabel>

using namespace Qt::StringLiterals;

class TestFormAbout : public QObject {
    Q_OBJECT
private slots:
    void texts() {
        // The heading and "- " lines after it, CR LF between, none after.
        const QStringList lines = AboutInfoText().split(u"\r\n"_s);
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
    }
};

VYPISKA_TEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
