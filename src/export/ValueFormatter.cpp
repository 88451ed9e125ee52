#include "export/ValueFormatter.h"

#include "export/FormatValue.h"

namespace {
// Dates, amounts, tax numbers, accounts and most names fit; purposes of payment do not.
constexpr qsizetype LongestKept = 64;
// About a megabyte of texts at most; when full it starts again with the values of the moment.
constexpr qsizetype MostKept = 8192;
} // namespace

const QString& ValueFormatter::Format(const QString& value) {
    if (value.size() > LongestKept) {
        m_last = FormatValue(value, m_formats);
        return m_last;
    }
    if (const auto found = m_done.constFind(value); found != m_done.cend()) return *found;
    if (m_done.size() >= MostKept) m_done.clear();
    return *m_done.insert(value, FormatValue(value, m_formats));
}
