#pragma once

#include <QString>

class INIStorage;

// The organisation's account as the statement writes it (ACC of CONFIG.INI, blanks at its ends
// dropped).
QString ReadOrganisationAccount(const INIStorage& settings);
// The organisation's ИНН (INN of CONFIG.INI, blanks at its ends dropped).
QString ReadOrganisationInn(const INIStorage& settings);

// Why the organisation's account can't go into a statement: not set, or not 20 digits. Empty
// when it is fine. The window's bar, its save and preview, and the command line all say this.
QString OrganisationAccountProblem(const QString& acc);

// Whether a template writes the organisation's account or what follows from it ({ACC},
// {Incoming}, {Outgoing}): a statement without it would go out with those lines empty.
bool TemplateUsesAccount(const QString& templateText);

// OrganisationAccountProblem for a statement made with the template at templatePath: empty too
// when the template does not use the account (or cannot be read: the export says so itself).
QString TemplateAccountProblem(const QString& acc, const QString& templatePath);
