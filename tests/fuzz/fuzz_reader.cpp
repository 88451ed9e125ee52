// A document's bytes to a row: entities, CDATA, amounts, dates and any bytes at all.
#include "FuzzCommon.h"

#include "reading/DocumentReader.h"
#include "text/TextCoder.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    static const ColumnMap columns{{"Номер", "Номер;Num;N"},
                                   {"Дата", "Дата;Date"},
                                   {"Сумма", "Сумма;Sum;S"},
                                   {"Назначение", "Назначение;Purpose"}};
    static const DocumentReader reader(columns, coder);
    const QByteArray bytes = Input(data, size);
    if (const std::optional<DocumentRow> row = reader.ReadBytes("/in/doc.xml", bytes))
        FUZZ_CHECK(row->Cells.size() == columns.size());

    const QString text = QString::fromUtf8(bytes);
    // Decoding references and CDATA only ever shortens the text.
    FUZZ_CHECK(XmlText(text).size() <= text.size());
    FUZZ_CHECK(std::isfinite(AmountValue(text)));
    AmountDisplayText(text, coder.Locale());
    return 0;
}
