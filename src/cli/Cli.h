#pragma once

#include <QStringList>

// Exit statuses of vypiska-cli.
enum CliExit : int {
    ExitDone = 0,
    ExitNoDocuments = 1,
    ExitUsage = 2,
    ExitWriteFailed = 3,
    ExitHadProblems = 4, // with --strict: the run went on past a problem (a file left out, ...);
                         // for check: there are findings
};

// args: the words after the command name.
int RunList(const QStringList& args);
int RunConvert(const QStringList& args);
int RunRegister(const QStringList& args);
int RunTemplates(const QStringList& args);
int RunCheck(const QStringList& args);
int RunJournal(const QStringList& args);
