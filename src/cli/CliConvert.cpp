#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliDate.h"
#include "cli/CliJournal.h"
#include "cli/CliSafety.h"
#include "text/EscapeControls.h"

#include "checks/OrganisationAccount.h"
#include "checks/OrganisationSide.h"
#include "export/BuildExportFile.h"
#include "export/SaveNames.h"
#include "settings/INIStorage.h"
#include "text/DateParse.h"
#include "text/EscapeControls.h"
#include "text/TextCoder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

const QString TemplateOption = QStringLiteral("--template");
const QString OutputOption = QStringLiteral("--output");

// A bare name is a file of ConfigDir, else a template's display name ("Реестр") there, in any
// letter case; anything with a folder in it is a path.
QString TemplatePath(const QString& name, const QString& configDir, const TextCoder& coder) {
    if (name.contains(u'/') || name.contains(u'\\')) return name;
    const QString file = QDir(configDir).filePath(name);
    if (QFileInfo(file).isFile()) return file;
    for (const TemplateInfo& info : TemplateList(configDir, coder))
        if (info.Title.compare(name, Qt::CaseInsensitive) == 0) return info.Path;
    return file;
}

} // namespace

int RunConvert(const QStringList& args) {
    CliRun run;
    if (const std::optional<int> exit = run.Parse(QStringLiteral("convert"), args)) return *exit;
    const CliOptions& options = run.Options;
    const TextCoder& coder = run.Coder;
    const QString output = options.Values.value(OutputOption);
    const bool toStdout = output == QLatin1String("-");

    QDateTime when;
    if (!ParseCliDate(options, &when)) return ExitUsage;

    std::optional<std::set<int>> rows;
    if (!ParseCliRows(options, &rows)) return ExitUsage;

    QString templatePath;
    if (options.Values.contains(TemplateOption)) {
        templatePath = TemplatePath(options.Values.value(TemplateOption), options.ConfigDir, coder);
        if (!QFileInfo::exists(templatePath)) {
            CliError(QStringLiteral("Шаблон '%1' не найден").arg(templatePath));
            return ExitUsage;
        }
    } else {
        const std::vector<TemplateInfo> templates = TemplateList(options.ConfigDir, coder);
        if (templates.empty()) {
            CliError(QStringLiteral("В папке '%1' нет ни одного шаблона (*.tpl)")
                         .arg(options.ConfigDir));
            return ExitUsage;
        }
        templatePath = templates.front().Path;
    }
    // Before the reading: a template that is a pipe, a device or a huge file is said at once.
    if (const QString why = TemplateProblem(templatePath); !why.isEmpty()) {
        CliError(why);
        return ExitUsage;
    }

    if (const std::optional<int> exit = run.Read(RowUse::Statement)) return *exit;
    if (const std::optional<int> exit = run.TakeForOutput(rows, toStdout ? QString() : output))
        return *exit;
    if (options.Values.contains(QStringLiteral("--only-new")))
        if (const std::optional<int> exit = LeaveOutExported(options, run.Table)) return *exit;
    const DocumentTable& table = run.Table;

    const INIStorage settings(options.ConfigDir);
    const Organisation org = ReadOrganisation(settings);
    // A statement whose РасчСчет would go out empty or wrong is written all the same, but said.
    if (const QString why = TemplateAccountProblem(org.Account, templatePath); !why.isEmpty()) {
        CliError(QStringLiteral("%1 (ACC в '%2')")
                     .arg(why, QDir::toNativeSeparators(settings.MainIniFile())));
        ++run.Problems;
    }
    CliChecks checks(table, org);
    FormatSettings formats;
    ExportResult result;
    if (toStdout) {
        QByteArray bytes;
        result = BuildExportBytes(bytes, table, templatePath, OleDateFromDateTime(when), settings,
                                  coder, formats);
        if (result.Ok && !WriteAll(stdout, bytes))
            result = {false,
                      QStringLiteral("Не удалось записать выписку в стандартный вывод"),
                      ExportFailure::Output,
                      {}};
    } else {
        const JournalPlace journal = CliJournalPlace(options);
        result = BuildExportFile(output, table, templatePath, OleDateFromDateTime(when), settings,
                                 coder, formats, {}, &journal);
    }
    if (!result.Ok) {
        CliError(result.Error);
        return result.Failure == ExportFailure::Template ? ExitUsage : ExitWriteFailed;
    }
    for (const QString& problem : std::as_const(result.Problems))
        CliError(problem);
    run.Problems += result.Problems.size();
    // The journal never stops a save: what it met is said, and counted for --strict.
    PrintFindings(result.Journal);
    run.Problems += qsizetype(result.Journal.size());
    // With the statement on stdout, the status goes beside it.
    PrintLine(toStdout ? stderr : stdout, toStdout
                                              ? StdoutSaveSuccessText(qint64(table.Rows.size()))
                                              : SaveSuccessText(qint64(table.Rows.size()), output));
    checks.Print();
    EndIfInterrupted(); // a stop asked for during the write: the statement is whole, or untouched
    if (!StdoutReached()) return ExitWriteFailed;
    return run.End();
}

int RunTemplates(const QStringList& args) {
    CliOptions options;
    if (const std::optional<int> exit =
            ParseCliOptions(QStringLiteral("templates"), args, &options))
        return *exit;
    if (!QFileInfo(options.ConfigDir).isDir()) {
        CliError(QStringLiteral("Папка настроек '%1' не найдена").arg(options.ConfigDir));
        return ExitUsage;
    }
    const TextCoder coder(options.Locale);
    const std::vector<TemplateInfo> templates = TemplateList(options.ConfigDir, coder);
    if (templates.empty()) {
        CliError(
            QStringLiteral("В папке '%1' нет ни одного шаблона (*.tpl)").arg(options.ConfigDir));
        return ExitUsage;
    }
    // What --template takes, the type of file it makes, and the file itself; a name's own
    // control characters are shown, never obeyed, and the tabs between the fields stay tabs.
    const auto line = [](const QStringList& fields) {
        QStringList shown;
        for (const QString& field : fields)
            shown << EscapeControls(field);
        WriteAll(stdout, shown.join(u'\t').toUtf8() + '\n');
    };
    line({QStringLiteral("Шаблон"), QStringLiteral("Тип файла"), QStringLiteral("Файл")});
    for (const TemplateInfo& info : templates)
        line({info.Title,
              info.Extension.isEmpty() ? QString() : QStringLiteral("*.") + info.Extension,
              info.FileName});
    return StdoutReached() ? ExitDone : ExitWriteFailed;
}
