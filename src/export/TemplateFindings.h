#pragma once

#include "findings/Findings.h"

class TextCoder;

// The settings folder's templates as findings: every template that cannot make a statement, or
// that there is none.
FindingList TemplateFindings(const QString& configDir, const TextCoder& coder);
