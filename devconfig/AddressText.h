// Texts of the masked address and MAC fields of the device settings dialog.
//
// An address field shows four groups of three characters at positions 0, 4,
// 8 and 12 of its display text, separated by "."; a group may carry blanks
// on either side. A text without exactly four groups reads as not a number. The MAC field shows six
// pairs of hexadecimal digits at positions 0, 3, .., 15, separated by "-".
#pragma once

#include "devconfig/SettingsRecord.h"

#include <QChar>
#include <QString>

#include <optional>

namespace obr9 {

// Reads the four groups of an address display text. Each group must be a
// decimal number 0..255; otherwise error (when given) says which group and
// why, in operator words, and nothing is returned.
std::optional<AddressBytes> readAddressField(const QString& displayText, QString* error = nullptr);

// Why a group fails, or nothing: "not a number" failures name the text the
// way the integer conversion does; range failures say "Not a valid IP
// address." as the address check on leaving the field does.
struct AddressGroupProblem {
    bool notANumber = false;
    QString groupText;
};
std::optional<AddressGroupProblem> addressProblem(const QString& displayText);

// "192.168.1.161": the text an address field is given; its mask arranges
// the groups.
QString addressText(const AddressBytes& address);

// Each pair is read as hexadecimal up to its first non-hexadecimal
// character; a pair without a digit reads 0. Never fails.
MacBytes readMacField(const QString& displayText);

// "01-E8-C4-A1-5B-10": upper-case digits.
QString macText(const MacBytes& mac);

// Typing into the MAC field: a..f become A..F, 0-9 and A-F pass, anything
// else (control characters such as backspace included) is dropped.
std::optional<QChar> macKeyFilter(QChar typed);

} // namespace obr9
