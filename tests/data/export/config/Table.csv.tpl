<formats><decimal_separator>,</decimal_separator></formats>
<header>
Номер;Сумма;Дата
</header>
<document>
{Num};{Sum};{Дата}
</document>
