#include "app/StatementCommands.h"

#include "app/CommandRunner.h"
#include "app/PreviewDlg.h"
#include "app/ProblemsView.h"
#include "app/RegisterPrintDlg.h"
#include "app/SaveDialog.h"
#include "app/SaveQuestion.h"
#include "app/StatusLine.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/OrganisationSide.h"
#include "export/BuildExportFile.h"
#include "journal/JournalPlace.h"
#include "export/RegisterPdf.h"
#include "export/SaveNames.h"
#include "export/SourceGuard.h"
#include "presentation/ReadingStatus.h"
#include "shell/FileManager.h"
#include "shell/RememberedPlaces.h"
#include "text/DateParse.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

StatementCommands::StatementCommands(const DocumentTable& table, TextCoder& coder,
                                     INIStorage& settings, const QString& configDir,
                                     Controls controls, QWidget* window)
    : QObject(window), m_table(table), m_coder(coder), m_settings(settings), m_configDir(configDir),
      m_controls(controls), m_window(window), m_runner(new CommandRunner(controls.Status, this)) {
    connect(m_runner, &CommandRunner::RunningChanged, this, &StatementCommands::RunningChanged);
}

bool StatementCommands::IsRunning() const {
    return m_runner->IsRunning();
}

void StatementCommands::Stop() {
    m_runner->Stop();
}

void StatementCommands::Save(int templateIndex) {
    const std::vector<TemplateInfo> templates =
        WithRegisterTypes(SavableTemplates(TemplateList(m_configDir, m_coder)));
    if (templates.front().Register != RegisterFormat::None) {
        m_controls.Status.ShowText(QStringLiteral("Нет ни одного шаблона (*.tpl) в папке '%1'")
                                       .arg(QDir::toNativeSeparators(m_configDir)),
                                   StatusColorFailure);
        return;
    }
    const QString source = m_controls.Source.text();
    const std::optional<StatementChoice> choice =
        AskStatementFile(m_window, templates, templateIndex, SaveDialogFolder(m_settings, source),
                         source, m_table, m_coder, UseNativeDialogs());
    if (!choice) return;
    // Asked once the file type is known: whether the account matters depends on it.
    switch (AskSaveQuestion(m_window, Reasons(templates[size_t(choice->TemplateIndex)]))) {
    case SaveAnswer::Save:
        SaveWith(choice->Path, templates, choice->TemplateIndex);
        break;
    case SaveAnswer::Show:
        emit CheckedFindingsRequested();
        break;
    case SaveAnswer::Cancel:
        break;
    }
}

SaveReasons StatementCommands::Reasons(const TemplateInfo& type) const {
    return StatementSaveReasons(
        m_table, m_readingStopped,
        TemplateAccountProblem(ReadOrganisationAccount(m_settings), type.Path),
        m_controls.Problems.Rows());
}

bool StatementCommands::SaveTo(const QString& path, int templateIndex) {
    const std::vector<TemplateInfo> templates =
        SavableTemplates(TemplateList(m_configDir, m_coder));
    // Without a template the dialog offers nothing either: no index names a register then.
    return SaveWith(path, templates.empty() ? templates : WithRegisterTypes(templates),
                    templateIndex);
}

void StatementCommands::Fail(const QString& why) {
    m_controls.Status.ShowText(SaveFailureText, StatusColorFailure);
    m_controls.Status.ShowNotice(why);
}

bool StatementCommands::SaveWith(const QString& path, const std::vector<TemplateInfo>& templates,
                                 int templateIndex) {
    if (templateIndex < 0 || templateIndex >= int(templates.size())) {
        Fail(QStringLiteral("Шаблон не найден в папке '%1'")
                 .arg(QDir::toNativeSeparators(m_configDir)));
        return false;
    }
    if (const QString refused = ReplacedSourceText(path, m_controls.Source.text(), m_table);
        !refused.isEmpty()) {
        Fail(refused);
        return false;
    }
    if (m_runner->IsRunning()) return false;
    // What the work reads is taken now: the window goes on meanwhile.
    const TemplateInfo type = templates[std::size_t(templateIndex)];
    const double when = OleDateFromDateTime(m_controls.Date.dateTime());
    const QDateTime now = QDateTime::currentDateTime();
    // Made whole on the work's thread: a year's exported documents are 100,000 findings.
    const FindingRows findings = m_controls.Problems.Rows();
    const JournalPlace journal = ResolveJournalPlace(m_configDir, m_settings);
    ExportResult result;
    // The outcome is the work's: a stop that comes once the file is in place changes nothing.
    m_runner->Run(QStringLiteral("Сохранение ..."), [&](const ExportProgress& progress) {
        try {
            FormatSettings formats;
            result = type.Register != RegisterFormat::None
                         ? WriteRegister(path, type.Register, m_table, m_settings, now,
                                         findings.List(), progress)
                         : BuildExportFile(path, m_table, type.Path, when, m_settings, m_coder,
                                           formats, progress, &journal);
        } catch (const std::exception& e) {
            result.Ok = false;
            result.Error = QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what()));
        }
    });
    if (result.Failure == ExportFailure::Stopped) {
        m_controls.Status.ShowText(QStringLiteral("Сохранение остановлено: файл '%1' не записан")
                                       .arg(QDir::toNativeSeparators(path)),
                                   StatusColorNeutral);
        m_controls.Status.ShowNotice({});
        return false;
    }
    if (!result.Ok) {
        Fail(result.Error.isEmpty() ? path : result.Error);
        return false;
    }
    m_controls.Status.ShowText(SaveSuccessText(qint64(m_table.Rows.size()), path),
                               StatusColorSuccess);
    // What the writing named (amounts kept as written, the journal ...): the first, and how many
    // more.
    for (const Finding& finding : result.Journal)
        result.Problems << FindingLine(finding);
    m_controls.Status.ShowNotice(result.Problems.isEmpty() ? QString()
                                 : result.Problems.size() == 1
                                     ? result.Problems.first()
                                     : QStringLiteral("%1 (и ещё %2)")
                                           .arg(result.Problems.first())
                                           .arg(result.Problems.size() - 1));
    if (result.Recorded) emit Recorded(path);
    WriteLastFolder(m_settings, LastFolder::Statement,
                    QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    if (m_controls.OpenAfter.isChecked()) ShowInFileManager(path);
    return true;
}

void StatementCommands::Preview() {
    if (m_table.Rows.empty()) return;
    const std::vector<TemplateInfo> templates = TemplateList(m_configDir, m_coder);
    if (templates.empty()) return Save(); // which says where templates belong
    if (m_runner->IsRunning()) return;
    const double when = OleDateFromDateTime(m_controls.Date.dateTime());
    // Runs on the dialog's own thread; the dialog is modal, so the documents stay as they are.
    auto build = [this, when](const TemplateInfo& info, const PreviewDlg::PieceSink& sink,
                              const ExportProgress& progress) {
        FormatSettings formats;
        return BuildExportPieces(sink, m_table, info.Path, when, m_settings, m_coder, formats,
                                 progress);
    };
    PreviewDlg preview(templates, 0, build, TotalsText(m_controls.Totals()), m_window);
    // What a save would ask, said over the statement instead.
    preview.SetNotice([this](const TemplateInfo& info) {
        QStringList lines;
        for (const SaveReason& reason : Reasons(info))
            lines << reason.Text;
        return lines.join(u'\n');
    });
    int saveWith = -1;
    connect(&preview, &PreviewDlg::SaveRequested, this,
            [&saveWith](int index) { saveWith = index; });
    preview.exec();
    if (saveWith >= 0) Save(saveWith);
}

void StatementCommands::PrintRegister() {
    if (m_table.Rows.empty() || m_runner->IsRunning()) return;
    const FindingRows findings = m_controls.Problems.Rows();
    const QDateTime now = QDateTime::currentDateTime();
    const QString text = m_controls.Status.Text();
    const qint32 colour = m_controls.Status.ColourValue();
    std::optional<RegisterPrintDlg::Prepared> prepared;
    // Laid out off the window's thread; a stop drops what was laid out.
    if (!m_runner->Run(QStringLiteral("Подготовка реестра ..."), [&](const ExportProgress&) {
            prepared = RegisterPrintDlg::Prepare(m_table, m_settings, findings.List(), now);
        })) {
        m_controls.Status.ShowText(QStringLiteral("Печать реестра остановлена"),
                                   StatusColorNeutral);
        return;
    }
    m_controls.Status.ShowText(text, colour); // nothing was written: the last outcome stands
    RegisterPrintDlg(m_table, std::move(*prepared), m_controls.Source.text(), m_window).exec();
}
