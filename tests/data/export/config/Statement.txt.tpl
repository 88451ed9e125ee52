<formats>
<decimal_separator>.</decimal_separator>
<date>dd.MM.yyyy</date>
<time>hh:mm:ss</time>
</formats>
<header>
Выписка на {MakeDate} {MakeTime}
Счет={ACC}
</header>
<document>
Документ={Номер}
Дата={Date}
Сумма={Sum}
Получатель={Получатель}
Назначение={Purpose}
Конец
</document>
<footer>
КонецФайла

</footer>
