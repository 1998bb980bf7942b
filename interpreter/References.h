#pragma once

#include <QString>

class TKvtParser;
class TKvtVariables;

// The value of a reference name: "" for an empty name, the numbered
// parameter of the innermost call for ":n", otherwise the variable's text
// ("" when undefined). Command parameters and text markup share it.
QString ResolveReference(const TKvtParser& parser, const TKvtVariables& variables, const QString& reference);
