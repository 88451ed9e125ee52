#pragma once

#include <QStringList>

// Exit statuses of vypiska-cli.
enum CliExit : int {
    ExitDone = 0,
    ExitNoDocuments = 1,
    ExitUsage = 2,
    ExitWriteFailed = 3,
};

// args: the words after the command name.
int RunList(const QStringList& args);
int RunConvert(const QStringList& args);
