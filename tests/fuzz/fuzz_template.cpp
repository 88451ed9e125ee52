// A template of any bytes filled with rows whose values hold braces, markup and NUL.
#include "FuzzCommon.h"

#include "export/BuildExportFile.h"
#include "settings/INIStorage.h"
#include "text/TextCoder.h"

#include <QFile>

#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    static const DocumentTable table = [] {
        static constexpr char16_t Tricky[] = u"{Сумма} a\0b <document>\r\n}{";
        DocumentTable t;
        t.Columns = {{"Номер", "Номер;Num"},
                     {"Сумма", "Сумма;Sum"},
                     {"Дата", "Дата;Date"},
                     {"Текст", "Текст;Text;Num"}};
        DocumentRow row;
        row.Cells = {{"1", ""},
                     {"5,00 ₽", "1 234,50"},
                     {"05.03.2024", "2024-03-05"},
                     {"", QString::fromUtf16(Tricky, std::size(Tricky) - 1)}};
        t.Rows = {row, row};
        return t;
    }();
    const QString tpl = Scratch().filePath("t.txt.tpl");
    const QString out = Scratch().filePath("out.txt");
    QFile file(tpl);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    QFile::remove(out);
    FormatSettings formats;
    const INIStorage settings(Scratch().path());
    const ExportResult result = BuildExportFile(out, table, tpl, 45356.5, settings, coder, formats);
    if (result.Ok) {
        QFile written(out);
        FUZZ_CHECK(written.open(QIODevice::ReadOnly));
        FUZZ_CHECK(!written.readAll().contains('\0')); // a NUL would end the line in 1C
    }
    return 0;
}
