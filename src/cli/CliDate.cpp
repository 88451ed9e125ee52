#include "cli/CliDate.h"

bool ParseCliDate(const CliOptions& options, QDateTime* when) {
    const QString option = QStringLiteral("--date");
    *when = QDateTime::currentDateTime();
    if (!options.Values.contains(option)) return true;
    const QString text = options.Values.value(option);
    for (const char* format : {"yyyy-MM-dd", "yyyy-MM-ddTHH:mm", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (!value.isValid()) continue;
        *when = value;
        return true;
    }
    CliError(QStringLiteral("--date '%1' is not YYYY-MM-DD[THH:MM[:SS]]").arg(text));
    return false;
}
