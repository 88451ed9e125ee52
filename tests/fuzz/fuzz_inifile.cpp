// A settings file of any bytes: reading a key, then writing it and reading back what was written.
#include "FuzzCommon.h"

#include "settings/IniFile.h"
#include "text/Cp1251.h"

#include <QFile>

namespace {
QString TrimBlanks(QString text) {
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}
} // namespace

// The input: the value to write, a NUL, then the file as it stands.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = Input(data, size);
    const qsizetype split = bytes.indexOf('\0');
    const QString value = Cp1251::Decode(split < 0 ? QByteArray() : bytes.left(split));
    const QString path = Scratch().filePath("CONFIG.INI");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(split < 0 ? bytes : bytes.mid(split + 1));
    file.close();

    const IniFile ini(path);
    ini.Read("Organization", "ACC");
    if (ini.Write("Organization", "ACC", value)) {
        QString flat = value;
        flat.replace(u'\r', u' ').replace(u'\n', u' ');
        const QString expected = TrimBlanks(Cp1251::Decode(Cp1251::Encode(flat)));
        FUZZ_CHECK(ini.Read("organization", "acc") == expected);
    }
    return 0;
}
