// Integer fields the operator types (ports, speeds, relay times).
#pragma once

#include <QString>

namespace obr9 {

// Delphi-style integer conversion of operator text: optional sign, decimal
// digits, surrounding blanks; anything else fails and leaves value as it was.
bool textToInt(const QString& text, int& value);

// The message of a failed conversion, naming the text as typed.
QString notAnIntegerMessage(const QString& text);

} // namespace obr9
