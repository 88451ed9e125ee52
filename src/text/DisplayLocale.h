#pragma once

#include <QLocale>

// The locale the window and the list display with: the system's, except that a system with no
// locale chosen (C or POSIX, as a fresh machine or a service has) shows numbers and dates as
// ru_RU does. Only display follows it; what a document says is never read through it.
QLocale DisplayLocale(const QLocale& system = QLocale::system());
