<?xml version="1.0" encoding="UTF-8"?>
<!-- The statement that bench_cli asks vypiska-cli for, made by xsltproc for comparison: the
     default template's document block for each document given on the command line
     (xsltproc statement.xsl a.xml b.xml ...), the dates and amounts rewritten as the template's
     formats ask. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text" encoding="windows-1251"/>
  <xsl:variable name="nl" select="'&#13;&#10;'"/>

  <!-- 2024-03-15 as 15.03.2024; anything else as written -->
  <xsl:template name="date">
    <xsl:param name="v"/>
    <xsl:choose>
      <xsl:when test="string-length($v) = 10 and substring($v, 5, 1) = '-'">
        <xsl:value-of select="concat(substring($v, 9, 2), '.', substring($v, 6, 2), '.', substring($v, 1, 4))"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="normalize-space($v)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="line">
    <xsl:param name="key"/>
    <xsl:param name="v"/>
    <xsl:value-of select="concat($key, '=', normalize-space($v), $nl)"/>
  </xsl:template>

  <xsl:template match="*">
    <xsl:value-of select="concat('СекцияДокумент=Платежное поручение', $nl)"/>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Номер'"/><xsl:with-param name="v" select="(.//Nomer|.//DocNum)[1]"/></xsl:call-template>
    <xsl:text>Дата=</xsl:text>
    <xsl:call-template name="date"><xsl:with-param name="v" select="(.//Data|.//DocDate)[1]"/></xsl:call-template>
    <xsl:value-of select="$nl"/>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Сумма'"/><xsl:with-param name="v" select="translate((.//Summa|.//Amount)[1], ',', '.')"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикСчет'"/><xsl:with-param name="v" select="(.//PlatelshikSchet|.//PayerAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Плательщик'"/><xsl:with-param name="v" select="(.//PlatelshikNaim|.//PayerName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикИНН'"/><xsl:with-param name="v" select="(.//PlatelshikINN|.//PayerINN)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Плательщик1'"/><xsl:with-param name="v" select="(.//PlatelshikNaim|.//PayerName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикКПП'"/><xsl:with-param name="v" select="(.//PlatelshikKPP|.//PayerKPP)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикРасчСчет'"/><xsl:with-param name="v" select="(.//PlatelshikSchet|.//PayerAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикБанк1'"/><xsl:with-param name="v" select="(.//PlatelshikBank|.//PayerBankName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикБИК'"/><xsl:with-param name="v" select="(.//PlatelshikBIK|.//PayerBankBIC)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПлательщикКорсчет'"/><xsl:with-param name="v" select="(.//PlatelshikKorschet|.//PayerBankCorrAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательСчет'"/><xsl:with-param name="v" select="(.//PoluchatelSchet|.//PayeeAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Получатель'"/><xsl:with-param name="v" select="(.//PoluchatelNaim|.//PayeeName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательИНН'"/><xsl:with-param name="v" select="(.//PoluchatelINN|.//PayeeINN)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Получатель1'"/><xsl:with-param name="v" select="(.//PoluchatelNaim|.//PayeeName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательКПП'"/><xsl:with-param name="v" select="(.//PoluchatelKPP|.//PayeeKPP)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательРасчСчет'"/><xsl:with-param name="v" select="(.//PoluchatelSchet|.//PayeeAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательБанк1'"/><xsl:with-param name="v" select="(.//PoluchatelBank|.//PayeeBankName)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательБИК'"/><xsl:with-param name="v" select="(.//PoluchatelBIK|.//PayeeBankBIC)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ПолучательКорсчет'"/><xsl:with-param name="v" select="(.//PoluchatelKorschet|.//PayeeBankCorrAccount)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ВидПлатежа'"/><xsl:with-param name="v" select="(.//VidPlatezha|.//PaymentMethod)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'ВидОплаты'"/><xsl:with-param name="v" select="(.//VidOplaty|.//PaymentKind)[1]"/></xsl:call-template>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'Очередность'"/><xsl:with-param name="v" select="(.//Ocherednost|.//Priority)[1]"/></xsl:call-template>
    <xsl:text>ДатаСписано=</xsl:text>
    <xsl:call-template name="date"><xsl:with-param name="v" select="(.//DataSpisaniya|.//DebitDate)[1]"/></xsl:call-template>
    <xsl:value-of select="$nl"/>
    <xsl:text>ДатаПоступило=</xsl:text>
    <xsl:call-template name="date"><xsl:with-param name="v" select="(.//DataPostupleniya|.//CreditDate)[1]"/></xsl:call-template>
    <xsl:value-of select="$nl"/>
    <xsl:call-template name="line"><xsl:with-param name="key" select="'НазначениеПлатежа'"/><xsl:with-param name="v" select="(.//NaznacheniePlatezha|.//Purpose)[1]"/></xsl:call-template>
    <xsl:value-of select="concat('КонецДокумента', $nl)"/>
  </xsl:template>
</xsl:stylesheet>
