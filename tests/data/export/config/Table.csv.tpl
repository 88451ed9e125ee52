<header>
Номер;Сумма;Дата
</header>
<document>
{Num};{Sum};{Дата}
</document>
