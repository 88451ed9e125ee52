#pragma once

#include <QStringView>

// Checks of Russian bank requisites, as the tax service and the Bank of Russia define them.
// An empty value is the caller's matter: these say whether a value that is there is well formed.

// A taxpayer number (ИНН): 10 digits whose last is its check digit (an organisation), or 12
// digits whose last two are (a person or a sole trader).
bool InnValid(QStringView inn);

// A settlement account: exactly 20 digits. Its key digit can only be checked against the bank's
// BIC, which the account alone does not give.
bool AccountLengthValid(QStringView account);
