#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QVariant>

#include <array>
#include <stdexcept>

// An error raised by the text utilities themselves; Number is the application-defined error
// number (0x80040000 for Base64) or a small code for invalid arguments.
class TextCoderError : public std::runtime_error {
public:
    static constexpr qint32 ApplicationError = qint32(0x80040000);
    static constexpr qint32 InvalidArgument = 5;

    TextCoderError(qint32 number, const QString& message)
        : std::runtime_error(message.toStdString()), Number(number), Message(message) {}

    qint32 Number;
    QString Message;
};

// The text utilities shared by reading, export and settings. One instance is made at start-up
// and passed by reference; every operation but the Base64 table set-up is const and safe to call
// from the reading thread.
class TextCoder {
public:
    explicit TextCoder(const QLocale& locale = QLocale::system());

    const QLocale& Locale() const { return m_locale; }

    // Base64 (standard alphabet, '=' padding, no line breaks; strings are Latin-1, one byte a char)
    QString Base64EncodeString(const QString& s);
    QString Base64Encode(const QByteArray& InData);
    QString Base64Encode2(const QByteArray& InData, qint32 InLen);
    QString Base64DecodeString(const QString& s);
    QByteArray Base64Decode(const QString& s);

    // UTF-16LE text files
    QString UnicodeFile_Read_FSO(const QString& sFileName, int TriState = -1) const;
    void UnicodeFile_Write_FSO(const QString& sFileName, const QString& sText, int ForWrite = 2,
                               int TriState = -1) const;
    QString UnicodeFile_Read_VB(const QString& sFileName, bool bRemoveBOM = false) const;
    void UnicodeFile_Write_VB(const QString& sFileName, const QString& sText,
                              bool bInsertBOM = false) const;
    QString UnicodeFile_Read_API(const QString& sFileName) const;
    bool UnicodeFile_Write_API(const QString& sFileName, const QString& sText) const;

    // UTF-8 with percent escapes
    QString DecodeUTF8(const QByteArray& EncodedURI) const;
    QByteArray EncodeUTF8(const QString& strInput) const;

    // Cleaners and URL escaping
    QString NonPrintableAscii(const QString& St) const;
    QString CyrToUrl(const QString& a) const;
    QString SpaceCompress(const QString& a) const;
    QString AntiNull(const QVariant& FieldVal) const;
    QString ReplacePunctuation(QString& str) const;

    // Paths: cut at both '/' and '\'
    QString OnlyName(const QString& FileName) const;
    QString GetExt(const QString& Name) const;
    QString GetName(const QString& PathName) const;
    QString GetPath(const QString& PathName) const;
    QString RulePath(const QString& Path) const;
    QString GetFnameUnicPart(const QString& Fname) const;

    // Numbers and the locale
    QString LimDigit(qint32 Value, qint32 DigitNumber) const;
    bool IsMultiSeparator(const QString& Value, const QString& separator) const;
    bool IsNumber(const QVariant& Value) const;
    QString LocalPoint() const;
    QString LocalGrpSpace() const;
    QString LocalCurrency() const;

    // Amount in words (whole part only)
    QString StringSumm(double n) const;

    // Tags
    QString MakeTag(const QString& TagName, const QVariant& TagContent, int Level = 0) const;
    QString ReadTag(const QString& TotalText, const QString& TagName) const;

    // The text form of a value under this coder's locale (numbers and dates as the user writes
    // them)
    QString ValueText(const QVariant& value) const;

private:
    void BuildBase64Tables();

    QLocale m_locale;
    // The locale's number marks, learnt once: an instance's locale never changes, and IsNumber
    // runs for every cell of a large statement.
    QString m_point;
    QString m_group;
    QString m_currency;
    bool m_base64Built = false;
    std::array<quint8, 64> m_encodeTable{};
    std::array<quint8, 128> m_decodeTable{};
};
