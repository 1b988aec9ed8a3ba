// Integer fields typed by the operator (ports, baud rates, relay times).
#pragma once

#include <QString>

namespace obr9 {

// Delphi-style integer conversion of operator text: optional sign, decimal
// digits, surrounding blanks; anything else fails.
bool textToInt(const QString& text, int& value);
QString notAnIntegerMessage(const QString& text);

} // namespace obr9
