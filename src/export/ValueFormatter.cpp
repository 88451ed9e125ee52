#include "export/ValueFormatter.h"

#include "export/FormatValue.h"

namespace {
// Dates, amounts, tax numbers, accounts and most names fit; purposes of payment do not.
constexpr qsizetype LongestKept = 64;
// About a megabyte of texts at most; when full it starts again with the values of the moment.
constexpr qsizetype MostKept = 8192;
} // namespace

const QString& ValueFormatter::Format(const QString& value) {
    // Values read from documents share one text where they recur, so the text's address finds
    // an earlier one without hashing its characters. The kept copy holds that text alive and
    // unchanged (a write would detach), so no other text can take its address meanwhile. Texts
    // not allocated by QString (literals, raw data: no capacity) have no such address to keep.
    if (value.size() > LongestKept || value.capacity() == 0) {
        m_last = FormatValue(value, m_formats);
        return m_last;
    }
    const void* text = value.constData();
    if (const auto found = m_byText.constFind(text); found != m_byText.cend())
        if (found->Value.size() == value.size()) return found->Formatted;
    if (m_byText.size() >= MostKept) m_byText.clear();
    return m_byText.insert(text, {value, FormatValue(value, m_formats)})->Formatted;
}
