#include "settings/SettingsUpgrade.h"

#include "reading/ColumnMap.h"
#include "text/SafeWrite.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <optional>

namespace {

const QString TagIni = QStringLiteral("TAG.INI");
const QString Template1C = QStringLiteral("Выписка 1С.txt.tpl");

// SHA-1 of every default an earlier version installed.
constexpr std::array<const char*, 1> EarlierTagIni = {"691124a857e0dcfa55edca6a74d3f69d05c8aada"};
constexpr std::array<const char*, 3> EarlierTemplates = {
    "3c4c16e3fb045541956db241518e465539ff919a", "48907fdf7434d340e07219f6e40304190d532e9a",
    "ae0a6c6ecc543fd8121fe799a2ec8ffcbb00b133"};

struct NewLine {
    const char16_t* TagLine; // as the default TAG.INI has it
    const char16_t* Key;
};

constexpr std::array<NewLine, 10> TaxLines = {{
    {u"Статус составителя = СтатусСоставителя;StatusSostavitelya;DrawerStatus",
     u"СтатусСоставителя"},
    {u"КБК = ПоказательКБК;PokazatelKBK;Kbk", u"ПоказательКБК"},
    {u"ОКТМО = ОКАТО;Oktmo;Oktmo", u"ОКАТО"},
    {u"Основание платежа = ПоказательОснования;PokazatelOsnovaniya;TaxReason",
     u"ПоказательОснования"},
    {u"Налоговый период = ПоказательПериода;PokazatelPerioda;TaxPeriod", u"ПоказательПериода"},
    {u"Номер документа-основания = ПоказательНомера;PokazatelNomera;TaxDocNum",
     u"ПоказательНомера"},
    {u"Дата документа-основания = ПоказательДаты;PokazatelDaty;TaxDocDate", u"ПоказательДаты"},
    {u"Тип платежа = ПоказательТипа;PokazatelTipa;TaxPaymentType", u"ПоказательТипа"},
    {u"УИН = Код;UIN;Uin", u"Код"},
    {u"Код назначения платежа = КодНазПлатежа;KodNazPlatezha;PurposeCode", u"КодНазПлатежа"},
}};

// A TAG.INI with this many keys of the earlier default descends from it.
const QStringList EarlierKeys = {QStringLiteral("Номер"),
                                 QStringLiteral("Дата"),
                                 QStringLiteral("Сумма"),
                                 QStringLiteral("ПлательщикСчет"),
                                 QStringLiteral("ПолучательСчет"),
                                 QStringLiteral("ВидОплаты"),
                                 QStringLiteral("ДатаСписано"),
                                 QStringLiteral("ДатаПоступило"),
                                 QStringLiteral("НазначениеПлатежа")};

template <std::size_t N>
bool IsOneOf(const QByteArray& bytes, const std::array<const char*, N>& hashes) {
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    for (const char* known : hashes)
        if (hash == known) return true;
    return false;
}

std::optional<QByteArray> ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

// Replaces path by the default when it is an earlier one; empty text, or why not.
template <std::size_t N>
QString Upgrade(const QString& path, const QString& defaultPath,
                const std::array<const char*, N>& earlier) {
    const std::optional<QByteArray> old = ReadWhole(path);
    if (!old || !IsOneOf(*old, earlier)) return {};
    const std::optional<QByteArray> fresh = ReadWhole(defaultPath);
    if (!fresh || *fresh == *old) return {};
    QString error;
    if (!WriteFileAtomically(path + QStringLiteral(".bak"), *old, ReadOnlyTarget::Refuse, &error) ||
        !WriteFileAtomically(path, *fresh, ReadOnlyTarget::Refuse, &error))
        return QStringLiteral("'%1': не удалось заменить настройками новой версии (%2)")
            .arg(QDir::toNativeSeparators(path), error);
    return {};
}

QString Quoted(const QStringList& lines) {
    return QStringLiteral("«") + lines.join(QStringLiteral("», «")) + QStringLiteral("»");
}

} // namespace

const QStringList& TaxFieldKeys() {
    static const QStringList keys = [] {
        QStringList all;
        for (const NewLine& line : TaxLines)
            all << QString::fromUtf16(line.Key);
        return all;
    }();
    return keys;
}

QStringList UpgradeDefaultFiles(const QString& configDir, const QString& defaultsDir) {
    QStringList problems;
    if (defaultsDir.isEmpty()) return problems;
    const QDir dir(configDir), defaults(defaultsDir);
    if (dir.absolutePath() == defaults.absolutePath()) return problems;
    for (const QString& why :
         {Upgrade(dir.filePath(TagIni), defaults.filePath(TagIni), EarlierTagIni),
          Upgrade(dir.filePath(Template1C), defaults.filePath(Template1C), EarlierTemplates)})
        if (!why.isEmpty()) problems << why;
    return problems;
}

std::vector<SettingsGap> MissingDefaultLines(const QString& configDir) {
    std::vector<SettingsGap> gaps;
    const QDir dir(configDir);

    const ColumnMapLoad load = LoadColumnMap(dir.filePath(TagIni));
    QStringList keys;
    for (const ColumnDef& column : load.Columns)
        keys << column.FieldKey();
    const auto has = [&keys](const QString& key) {
        return keys.contains(key, Qt::CaseInsensitive);
    };
    if (std::count_if(EarlierKeys.cbegin(), EarlierKeys.cend(), has) == EarlierKeys.size()) {
        QStringList lacking;
        for (const NewLine& line : TaxLines)
            if (!has(QString::fromUtf16(line.Key))) lacking << QString::fromUtf16(line.TagLine);
        if (!lacking.isEmpty())
            gaps.push_back({dir.filePath(TagIni),
                            QStringLiteral("нет строк новой версии для налоговых и бюджетных "
                                           "полей, они не попадут в выписку; добавьте их в "
                                           "файл: %1")
                                .arg(Quoted(lacking))});
    }

    const std::optional<QString> tpl = ReadWholeFile(dir.filePath(Template1C));
    if (tpl && tpl->contains(QLatin1String("1CClientBankExchange"))) {
        QStringList lacking;
        for (const NewLine& line : TaxLines) {
            const QString key = QString::fromUtf16(line.Key);
            if (!tpl->contains(u'{' + key + u'}', Qt::CaseInsensitive))
                lacking << key + QStringLiteral("={") + key + u'}';
        }
        for (const char* line : {"ДатаСписано={OutgoingDate}", "ДатаПоступило={IncomingDate}",
                                 "СекцияДокумент={DocumentKind}"}) {
            const QString text = QString::fromUtf8(line);
            if (!tpl->contains(text.section(u'=', 1), Qt::CaseInsensitive)) lacking << text;
        }
        if (!lacking.isEmpty())
            gaps.push_back({dir.filePath(Template1C),
                            QStringLiteral("нет строк новой версии; добавьте их в блок "
                                           "<document>: %1")
                                .arg(Quoted(lacking))});
    }
    return gaps;
}
