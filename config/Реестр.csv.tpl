<formats>
<decimal_separator>,</decimal_separator>
<decimals>2</decimals>
<date>dd.MM.yyyy</date>
<time>hh:mm</time>
<csv>1</csv>
</formats>
<header>
Номер;Дата;Сумма;Плательщик;ИНН плательщика;Счет плательщика;Получатель;ИНН получателя;Счет получателя;Назначение платежа;Направление
</header>
<document>
{Номер};{Дата};{Сумма};{Плательщик1};{ПлательщикИНН};{ПлательщикСчет};{Получатель1};{ПолучательИНН};{ПолучательСчет};{НазначениеПлатежа};{Direction}
</document>
<footer>
{DirectionTotals}

</footer>
