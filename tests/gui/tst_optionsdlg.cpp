#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestOptionsDlg : public QObject {
    Q_OBJECT

private:
    template <typename T> static T* Find(const QWidget& dlg, const char* name) {
        T* w = dlg.findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    static QLineEdit* Box(const QWidget& dlg, const char* name) {
        return Find<QLineEdit>(dlg, name);
    }
    static QPushButton* Button(const QWidget& dlg, const char* name) {
        return Find<QPushButton>(dlg, name);
    }
    // keyClicks() takes Latin-1 only; this types any text, one key event per character.
    static void Type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static QString Stored(const INIStorage& settings, const QString& key) {
        return settings.ReadVal(Organization, key, QStringLiteral("<none>")).toString();
    }

private slots:
    void opensEmptyWithoutConfigAndOkCreatesNothing() {
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        OptionsDlg dlg(settings);
        dlg.show();
        for (const char* name : {"txtOrgName", "txtINN", "txtACC"})
            QCOMPARE(Box(dlg, name)->text(), QString());
        QVERIFY(!Button(dlg, "CommandButtonW3")->isEnabled());
        QTest::mouseClick(Button(dlg, "CommandButtonW1"), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!QFile::exists(settings.MainIniFile()));
    }

    void loadShowsTrimmedValuesWithApplyDisabled() {
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        settings.WriteVal(Organization, QStringLiteral("Name"), QStringLiteral("ООО «Ромашка»"));
        settings.WriteVal(Organization, QStringLiteral("INN"), QStringLiteral("7701234567"));
        settings.WriteVal(Organization, QStringLiteral("ACC"),
                          QStringLiteral("40702810900000001234"));
        OptionsDlg dlg(settings);
        dlg.show();
        QCOMPARE(Box(dlg, "txtOrgName")->text(), QStringLiteral("ООО «Ромашка»"));
        QCOMPARE(Box(dlg, "txtINN")->text(), QStringLiteral("7701234567"));
        QCOMPARE(Box(dlg, "txtACC")->text(), QStringLiteral("40702810900000001234"));
        QVERIFY(!Button(dlg, "CommandButtonW3")->isEnabled());
    }

    void digitBoxesFilterInput_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("letters typed") << "txtINN"
                                       << ""
                                       << "type"
                                       << "12a3б4"
                                       << "1234";
        QTest::newRow("13th digit typed") << "txtINN"
                                          << ""
                                          << "type"
                                          << "1234567890123"
                                          << "123456789012";
        QTest::newRow("21st digit typed") << "txtACC"
                                          << ""
                                          << "type"
                                          << "407028109000000012345"
                                          << "40702810900000001234";
        QTest::newRow("paste with spaces and dashes") << "txtINN"
                                                      << ""
                                                      << "paste"
                                                      << " 7701-234 567 "
                                                      << "7701234567";
        QTest::newRow("paste of a grouped account") << "txtACC"
                                                    << ""
                                                    << "paste"
                                                    << "40702 810 9 0000 0001234"
                                                    << "40702810900000001234";
        QTest::newRow("paste into the middle") << "txtINN"
                                               << "1290"
                                               << "paste"
                                               << "3a4"
                                               << "123490";
        QTest::newRow("paste too long is refused whole") << "txtINN"
                                                         << "11"
                                                         << "paste"
                                                         << "1234567890 12"
                                                         << "11";
        QTest::newRow("paste of letters only") << "txtACC"
                                               << "5"
                                               << "paste"
                                               << "abc"
                                               << "5";
        QTest::newRow("drop goes through the same filter") << "txtACC"
                                                           << ""
                                                           << "insert"
                                                           << "№ 4070"
                                                           << "4070";
        QTest::newRow("name takes anything") << "txtOrgName"
                                             << ""
                                             << "type"
                                             << "ИП Петров 1-й"
                                             << "ИП Петров 1-й";
    }
    void digitBoxesFilterInput() {
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        OptionsDlg dlg(settings);
        dlg.show();
        QLineEdit* edit = Box(dlg, box.toLatin1().constData());
        edit->setText(before);
        edit->setCursorPosition(before.size() / 2);
        if (how == QLatin1String("type")) {
            Type(edit, input);
        } else if (how == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keySequence(edit, QKeySequence::Paste);
        } else {
            edit->insert(input);
        }
        QCOMPARE(edit->text(), expected);
    }

    void applyStoresTrimmedValuesAndStaysOpen() {
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        {
            OptionsDlg dlg(settings);
            dlg.show();
            Type(Box(dlg, "txtOrgName"), QStringLiteral("  ООО Ромашка  "));
            Type(Box(dlg, "txtINN"), QStringLiteral("7701234567"));
            QPushButton* apply = Button(dlg, "CommandButtonW3");
            QVERIFY(apply->isEnabled());
            QTest::mouseClick(apply, Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            QVERIFY(apply->isEnabled());
            QCOMPARE(Box(dlg, "txtOrgName")->text(), QStringLiteral("  ООО Ромашка  "));
            QCOMPARE(Stored(settings, "Name"), QStringLiteral("ООО Ромашка"));
            QCOMPARE(Stored(settings, "INN"), QStringLiteral("7701234567"));
            // An empty box stores an empty value, which reads back as the default.
            QCOMPARE(Stored(settings, "ACC"), QStringLiteral("<none>"));
        }
        OptionsDlg again(settings);
        again.show();
        QCOMPARE(Box(again, "txtOrgName")->text(), QStringLiteral("ООО Ромашка"));
    }

    void closing_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("applyFirst");
        QTest::addColumn<QString>("close");
        QTest::addColumn<QString>("expectedAcc");

        const QString old = QStringLiteral("111");
        const QString edited = QStringLiteral("111222");
        QTest::newRow("edit, Ok") << true << false << "ok" << edited;
        QTest::newRow("edit, Enter") << true << false << "enter" << edited;
        QTest::newRow("edit, Отмена") << true << false << "cancel" << old;
        QTest::newRow("edit, Escape") << true << false << "escape" << old;
        QTest::newRow("edit, close box") << true << false << "closebox" << old;
        QTest::newRow("edit, Применить, Отмена") << true << true << "cancel" << edited;
        QTest::newRow("no edit, Ok") << false << false << "ok" << old;
    }
    void closing() {
        QFETCH(bool, edit);
        QFETCH(bool, applyFirst);
        QFETCH(QString, close);
        QFETCH(QString, expectedAcc);
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        settings.WriteVal(Organization, QStringLiteral("ACC"), QStringLiteral("111"));
        const QDateTime writtenAt = QFileInfo(settings.MainIniFile()).lastModified();
        QFile::setPermissions(settings.MainIniFile(), QFile::ReadOwner | QFile::WriteOwner);

        OptionsDlg dlg(settings);
        dlg.show();
        QLineEdit* acc = Box(dlg, "txtACC");
        if (edit) Type(acc, QStringLiteral("222"));
        if (applyFirst) QTest::mouseClick(Button(dlg, "CommandButtonW3"), Qt::LeftButton);
        if (close == QLatin1String("ok"))
            QTest::mouseClick(Button(dlg, "CommandButtonW1"), Qt::LeftButton);
        else if (close == QLatin1String("cancel"))
            QTest::mouseClick(Button(dlg, "CommandButtonW2"), Qt::LeftButton);
        else if (close == QLatin1String("enter"))
            QTest::keyClick(acc, Qt::Key_Return);
        else if (close == QLatin1String("escape"))
            QTest::keyClick(acc, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(Stored(settings, "ACC"), expectedAcc);
        if (!edit) QCOMPARE(QFileInfo(settings.MainIniFile()).lastModified(), writtenAt);
    }

    void shownAgainStartsFromStoredValues() {
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        OptionsDlg dlg(settings);
        dlg.show();
        Type(Box(dlg, "txtINN"), QStringLiteral("999"));
        QTest::mouseClick(Button(dlg, "CommandButtonW2"), Qt::LeftButton);
        settings.WriteVal(Organization, QStringLiteral("INN"), QStringLiteral("123"));
        dlg.show();
        QCOMPARE(Box(dlg, "txtINN")->text(), QStringLiteral("123"));
        QVERIFY(!Button(dlg, "CommandButtonW3")->isEnabled());
    }

    void refusedWriteWarnsAndKeepsTheDialogOpen() {
        QTemporaryDir dir;
        // No CONFIG folder: the settings file cannot be created.
        INIStorage settings(dir.filePath(QStringLiteral("missing")));
        OptionsDlg dlg(settings);
        dlg.show();
        Type(Box(dlg, "txtACC"), QStringLiteral("4070"));
        QString warning;
        QTimer::singleShot(0, this, [&warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warning = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(Button(dlg, "CommandButtonW1"), Qt::LeftButton);
        QVERIFY(warning.contains(settings.MainIniFile()));
        QVERIFY(dlg.isVisible());
        QCOMPARE(Box(dlg, "txtACC")->text(), QStringLiteral("4070"));
    }

    void layoutClipsNothing_data() {
        QTest::addColumn<double>("pointSize");
        QTest::newRow("9 pt") << 9.0;
        QTest::newRow("16 pt") << 16.0;
    }
    void layoutClipsNothing() {
        QFETCH(double, pointSize);
        const QFont saved = QApplication::font();
        QFont font = saved;
        font.setPointSizeF(pointSize);
        QApplication::setFont(font);
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        OptionsDlg dlg(settings);
        QApplication::setFont(saved);

        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(dlg.width() >= 533 && dlg.height() >= 227);
        QVERIFY(qAbs(dlg.width() * 227.0 / 533 - dlg.height()) <= 1.0);
        for (QLabel* label : dlg.findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        for (QPushButton* button : dlg.findChildren<QPushButton*>())
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                     qPrintable(button->objectName()));
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            if (w->isWindow() || !w->parentWidget()) continue;
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                     qPrintable(w->objectName()));
        }
    }

    void tabOrderFollowsTheForm() {
        QTemporaryDir dir;
        INIStorage settings(dir.path());
        OptionsDlg dlg(settings);
        QStringList order;
        QWidget* w = Box(dlg, "txtOrgName");
        for (int i = 0; i < 6; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order, (QStringList{"txtOrgName", "txtINN", "txtACC", "CommandButtonW1",
                                     "CommandButtonW2", "CommandButtonW3"}));
    }
};

QTEST_MAIN(TestOptionsDlg)
#include "tst_optionsdlg.moc"
