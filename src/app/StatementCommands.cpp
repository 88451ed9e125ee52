#include "app/StatementCommands.h"

#include "app/PreviewDlg.h"
#include "app/ProblemsView.h"
#include "app/RegisterPrintDlg.h"
#include "app/SaveDialog.h"
#include "app/SaveQuestions.h"
#include "app/StatusLine.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "export/BuildExportFile.h"
#include "export/RegisterPdf.h"
#include "reading/ReadingRun.h"
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
      m_controls(controls), m_window(window) {}

void StatementCommands::Save(int templateIndex) {
    const std::vector<TemplateInfo> templates =
        WithRegisterTypes(SavableTemplates(TemplateList(m_configDir, m_coder)));
    if (templates.front().Register != RegisterFormat::None) {
        m_controls.Status.ShowText(QStringLiteral("Нет ни одного шаблона (*.tpl) в папке '%1'")
                                       .arg(QDir::toNativeSeparators(m_configDir)),
                                   StatusColorFailure);
        return;
    }
    if (!ConfirmEmptyStatement(m_window, m_table)) return;
    const QString source = m_controls.Source.text();
    const std::optional<StatementChoice> choice =
        AskStatementFile(m_window, templates, templateIndex, SaveDialogFolder(m_settings, source),
                         source, m_table, m_coder, UseNativeDialogs());
    if (!choice) return;
    const QString account = ReadOrganisationAccount(m_settings);
    const QString& path = templates[size_t(choice->TemplateIndex)].Path;
    if (ConfirmStatementAccount(m_window, TemplateAccountProblem(account, path)))
        SaveWith(choice->Path, templates, choice->TemplateIndex);
}

bool StatementCommands::SaveTo(const QString& path, int templateIndex) {
    return SaveWith(path, SavableTemplates(TemplateList(m_configDir, m_coder)), templateIndex);
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
    ExportResult result;
    try {
        FormatSettings formats;
        const TemplateInfo& type = templates[std::size_t(templateIndex)];
        result = type.Register != RegisterFormat::None
                     ? WriteRegister(path, type.Register, m_table, m_settings,
                                     QDateTime::currentDateTime(), m_controls.Problems.Findings())
                     : BuildExportFile(path, m_table, type.Path,
                                       OleDateFromDateTime(m_controls.Date.dateTime()), m_settings,
                                       m_coder, formats);
    } catch (const std::exception& e) {
        result.Ok = false;
        result.Error = QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what()));
    }
    if (!result.Ok) {
        Fail(result.Error.isEmpty() ? path : result.Error);
        return false;
    }
    m_controls.Status.ShowText(SaveSuccessText(qint64(m_table.Rows.size()), path),
                               StatusColorSuccess);
    // What the writing named (amounts kept as written, ...): the first, and how many more.
    m_controls.Status.ShowNotice(result.Problems.isEmpty() ? QString()
                                 : result.Problems.size() == 1
                                     ? result.Problems.first()
                                     : QStringLiteral("%1 (и ещё %2)")
                                           .arg(result.Problems.first())
                                           .arg(result.Problems.size() - 1));
    WriteLastFolder(m_settings, LastFolder::Statement,
                    QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    if (m_controls.OpenAfter.isChecked()) ShowInFileManager(path);
    return true;
}

void StatementCommands::Preview() {
    if (m_table.Rows.empty()) return;
    const std::vector<TemplateInfo> templates = TemplateList(m_configDir, m_coder);
    if (templates.empty()) return Save(); // which says where templates belong
    const double when = OleDateFromDateTime(m_controls.Date.dateTime());
    auto build = [this, when](const TemplateInfo& info, QByteArray* bytes, QString* error) {
        FormatSettings formats;
        const ExportResult result =
            BuildExportBytes(*bytes, m_table, info.Path, when, m_settings, m_coder, formats);
        if (!result.Ok) *error = result.Error;
        return result.Ok;
    };
    const QString account = ReadOrganisationAccount(m_settings);
    PreviewDlg preview(templates, 0, build, TotalsText(ComputeTotals(m_table, account)), m_window);
    preview.SetNotice(
        [account](const TemplateInfo& info) { return TemplateAccountProblem(account, info.Path); });
    int saveWith = -1;
    connect(&preview, &PreviewDlg::SaveRequested, this,
            [&saveWith](int index) { saveWith = index; });
    preview.exec();
    if (saveWith >= 0) Save(saveWith);
}

void StatementCommands::PrintRegister() {
    if (!m_table.Rows.empty())
        RegisterPrintDlg(m_table, m_settings, m_controls.Source.text(), m_window).exec();
}
