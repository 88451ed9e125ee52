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
    // Values read from documents share one text where they recur, so the text's address finds
    // an earlier one without hashing its characters. The kept copy holds that text alive and
    // unchanged (a write would detach), so no other text can take its address meanwhile. Texts
    // not allocated by QString (literals, raw data: no capacity) are looked up by characters.
    if (value.capacity() > 0) {
        const void* text = value.constData();
        if (const auto found = m_byText.constFind(text); found != m_byText.cend())
            if (found->Value.size() == value.size()) return found->Formatted;
        if (m_byText.size() >= MostKept) m_byText.clear();
        return m_byText.insert(text, {value, FormatValue(value, m_formats)})->Formatted;
    }
    if (const auto found = m_done.constFind(value); found != m_done.cend()) return *found;
    if (m_done.size() >= MostKept) m_done.clear();
    return *m_done.insert(value, FormatValue(value, m_formats));
}
