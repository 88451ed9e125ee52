#pragma once

#include "checks/DocumentTotals.h"
#include "checks/SaveReasons.h"
#include "export/TemplateCatalogue.h"

#include <QObject>

#include <functional>
#include <vector>

class CommandRunner;
class INIStorage;
class QAction;
class QDateTimeEdit;
class QLineEdit;
class ProblemsView;
class QWidget;
class StatusLine;
class TextCoder;

// What the window writes from the documents read: the statement through a template (asked for
// with the save dialog, or to a path given), its read-only preview, and the printed register.
// Results and failures go to the status line. The window's controls are read when a command
// runs: the source box, the statement date and the "show after saving" mark.
class StatementCommands : public QObject {
    Q_OBJECT
public:
    struct Controls {
        const QLineEdit& Source;
        const QDateTimeEdit& Date;
        const QAction& OpenAfter;
        StatusLine& Status;
        // What the problems list holds, for the workbook's sheet of findings.
        const ProblemsView& Problems;
        // The totals the window shows, counted already: the preview's line.
        std::function<const DocumentTotals&()> Totals;
    };

    StatementCommands(const DocumentTable& table, TextCoder& coder, INIStorage& settings,
                      const QString& configDir, Controls controls, QWidget* window);

    // The save command with the dialog's file type set to a template (-1: the first).
    void Save(int templateIndex = -1);
    // Writes the table through the file type at templateIndex of the save dialog's (the
    // templates, then the registers), off the window's thread; false when it failed or was stopped.
    bool SaveTo(const QString& path, int templateIndex);
    // The statement the chosen template would write, read-only; its "Сохранить" saves.
    void Preview();
    void PrintRegister();
    // A stopped reading left the list short of documents: a save asks first.
    void SetReadingStopped(bool stopped) { m_readingStopped = stopped; }
    // A save or a register being written, or the printed register being laid out, off the
    // window's thread: the documents must not change meanwhile.
    bool IsRunning() const;
    // Stops that command: nothing is written, an earlier file stays.
    void Stop();

signals:
    void RunningChanged(bool running);
    // "Показать" of the question before saving: the findings among the checked documents.
    void CheckedFindingsRequested();
    // The checked documents went into the journal with the statement at path.
    void Recorded(const QString& path);

private:
    SaveReasons Reasons(const TemplateInfo& type) const;
    // The template is entry templateIndex of the list the user chose from.
    bool SaveWith(const QString& path, const std::vector<TemplateInfo>& templates,
                  int templateIndex);
    void Fail(const QString& why);

    const DocumentTable& m_table;
    TextCoder& m_coder;
    INIStorage& m_settings;
    QString m_configDir;
    Controls m_controls;
    QWidget* m_window;
    CommandRunner* m_runner;
    bool m_readingStopped = false;
};
