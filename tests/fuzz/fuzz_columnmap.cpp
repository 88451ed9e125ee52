// TAG.INI of any bytes: the map, then a document read through it.
#include "FuzzCommon.h"

#include "reading/ColumnMap.h"
#include "reading/DocumentReader.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    const ColumnMapLoad load = ParseColumnMap(Cp1251::Decode(Input(data, size)), "TAG.INI");
    for (const ColumnDef& column : load.Columns) {
        // A column is one line: no line end and no second '=' inside.
        FUZZ_CHECK(!column.Caption.contains(u"\r\n") && !column.TagList.contains(u"\r\n"));
        FUZZ_CHECK(!column.TagList.contains(u'='));
        FUZZ_CHECK(column.Pieces().size() == column.ElementNames().size() + 1);
    }
    const DocumentReader reader(load.Columns, coder);
    const std::optional<DocumentRow> row =
        reader.ReadText("/in/doc.xml", "<Num>7</Num><Sum>1,5</Sum><Date>2024-03-05</Date>");
    if (row) FUZZ_CHECK(row->Cells.size() == load.Columns.size());
    return 0;
}
