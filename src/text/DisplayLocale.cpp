#include "text/DisplayLocale.h"

QLocale DisplayLocale(const QLocale& system) {
    if (system.language() == QLocale::C) return QLocale(QLocale::Russian, QLocale::Russia);
    return system;
}
