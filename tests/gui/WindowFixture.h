#pragma once

// What the window's tests share: the main window over a CONFIG of its own in a temporary
// folder, documents written there, and the menus and modal dialogs the window opens.
#include "../TestFiles.h"
#include "app/Form1.h"
#include "app/ProblemsView.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

#include "TestMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

// Runs answer once on each menu or modal dialog that opens while trigger runs. A dialog left
// open is rejected after a few seconds, so a fault fails instead of hanging.
inline void WhileModal(const std::function<void()>& trigger,
                       const std::function<void(QWidget*)>& answer) {
    QSet<QWidget*> seen;
    int ticks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal) modal = QApplication::activeModalWidget();
        if (modal && !seen.contains(modal))
            seen.insert(modal), ticks = 0, answer(modal);
        else if (auto* open = qobject_cast<QDialog*>(modal); open && ++ticks > 150)
            qWarning("dialog left open"), open->reject();
    });
    poll.start(20);
    trigger();
}

// Runs action on the first menu or modal dialog of type T that opens while trigger runs.
template <typename T, typename A>
inline bool WithModal(const std::function<void()>& trigger, A action) {
    bool seen = false;
    WhileModal(trigger, [&](QWidget* modal) {
        if (auto* t = qobject_cast<T*>(modal); t && !seen) seen = true, action(t);
    });
    return seen;
}

// Types the text key by key: QTest::keyClicks() takes Latin-1 only.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

// Fills the name box of a non-native file dialog and accepts it; an empty name cancels.
inline void Choose(QFileDialog* dialog, const QString& path) {
    if (path.isEmpty()) return dialog->reject();
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

// Beside QObject in a test class, whose init() calls MakeFolder().
class WindowFixture {
protected:
    // A fresh folder with CONFIG/ holding the files, given as text with '|' for each line end
    // (Windows-1251 with CR LF, as the settings are); documents have these elements, in order.
    void MakeFolder(const QList<std::pair<const char*, const char*>>& config,
                    const QStringList& elements) {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        m_form.reset(), m_settings.reset(); // the last test's, before its folder goes
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = Path("CONFIG") + "/";
        for (const auto& [name, text] : config)
            WriteFile(m_config + name, Cp1251::Encode(QString(text).replace("|", "\r\n")));
        m_settings = std::make_unique<INIStorage>(m_config);
        m_elements = elements;
    }
    void MakeForm() {
        m_form.reset();
        (m_form = std::make_unique<Form1>(m_coder, *m_settings, m_config))->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get())); // for the shortcuts
    }
    template <typename W> W* Find(const QString& name) { return m_form->findChild<W*>(name); }
    QString Path(const QString& name) const { return m_dir->filePath(name); }
    QString Status() { return Find<QLabel>("StatusText")->text(); }
    QColor StatusColour() {
        return Find<QLabel>("StatusText")->palette().color(QPalette::WindowText);
    }
    // The notice beside the status line and every row of the problems list, as text.
    QString Problems() {
        return Find<QLabel>("StatusNotice")->toolTip() + u'\n' +
               FindingsText(Find<ProblemsView>("ProblemsPanel")->Findings());
    }

    // A document of the ';'-separated values, one per element; an empty one is left out.
    QByteArray Doc(const QString& values) const {
        const QStringList v = values.split(';');
        QString doc = "<Doc>";
        for (qsizetype i = 0; i < m_elements.size(); ++i)
            if (!v.value(i).isEmpty())
                doc += "<" + m_elements[i] + ">" + v[i] + "</" + m_elements[i] + ">";
        return (doc + "</Doc>").toUtf8();
    }
    // The documents as name/doc0000.xml, name/doc0001.xml ...; returns the folder.
    QString Folder(const QString& name, const QStringList& docs) {
        QDir().mkpath(Path(name));
        for (int i = 0; i < docs.size(); ++i)
            WriteFile(Path("%1/doc%2.xml").arg(name).arg(i, 4, 10, QChar('0')), Doc(docs[i]));
        return Path(name);
    }
    // Saves through "Сохранить как" into the path and answers the question asked before it by
    // the button of that name, Enter when none; returns the question, marked when it is not
    // the save question with "Отмена" by default.
    QString SaveAsking(const QString& path, const QString& answer = {}) {
        QString asked;
        WhileModal([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                   [&](QWidget* dialog) {
                       if (auto* files = qobject_cast<QFileDialog*>(dialog))
                           return Choose(files, path);
                       auto* box = qobject_cast<QMessageBox*>(dialog);
                       QAbstractButton* cancel = box ? box->defaultButton() : nullptr;
                       if (!cancel || cancel != box->escapeButton() ||
                           cancel->text() != QStringLiteral("Отмена") ||
                           box->objectName() != "SaveQuestion")
                           asked = QStringLiteral("(not the question, \"Отмена\" by default) ");
                       asked += dialog->property("text").toString();
                       if (answer.isEmpty()) return QTest::keyClick(dialog, Qt::Key_Return);
                       box->findChild<QPushButton*>(answer)->click();
                   });
        return asked;
    }
    // Types the path into the box (a null one leaves it) and waits for the read it starts.
    void ReadSource(const QString& path) {
        if (!path.isNull()) Find<QLineEdit>("TxtFileIn")->setText(path);
        QTRY_VERIFY(!Find<QTimer>("ReadTimer")->isActive() && !m_form->IsReading());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    QStringList m_elements;
    TextCoder m_coder{QLocale(QLocale::Russian, QLocale::Russia)};
    std::unique_ptr<INIStorage> m_settings;
    std::unique_ptr<Form1> m_form; // last: gone first
};
