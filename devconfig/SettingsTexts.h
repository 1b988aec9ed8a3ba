// What the device settings dialog holds, as texts and item indexes, apart
// from the widgets: the record fills it, the settings frame is built from it.
#pragma once

#include "devconfig/SettingsRecord.h"

#include <QString>

namespace obr9 {

struct SettingsTexts {
    // Field widths on the wire; the dialog's edits hold no more characters.
    static constexpr int kNameWidth = 10;
    static constexpr int kShortTextWidth = 10; // user, passwords, destination user
    static constexpr int kLongTextWidth = 40;  // destination address, path

    bool dhcp = false;           // CheckBox1
    QString name;                // Edit1
    QString ip, subnet, gateway; // MaskEdit1, MaskEdit4, MaskEdit5 display texts
    QString port;                // Edit3
    QString mac;                 // MaskEdit2 display text
    QString user, password;      // Edit7, Edit8
    int lanMode = -1;            // ComboBox5 item index
    QString destination, path;   // MaskEdit7, MaskEdit9
    QString destinationUser;     // Edit4
    QString destinationPassword; // Edit5
    QString dns;                 // MaskEdit8 display text
    QString destinationPort;     // Edit2
    int baudIndex = -1;          // ComboBox2
    QString transmitTime;        // MaskEdit3
    int bufferIndex = -1;        // ComboBox3
    int stopBitsIndex = -1;      // ComboBox7: stop bits - 1
    int dataBitsIndex = -1;      // ComboBox6: data bits - 5
    int parity = -1;             // ComboBox1
    int rsMode = -1;             // ComboBox4
    QString rsId;                // MaskEdit6

    // Takes over what the record carries, in the dialog's fill order. The
    // record has no DHCP flag, port, user or password: those stay. A LAN
    // mode of 3 leaves lanMode as it was; a baud index above 10 shows 9600
    // (index 5). The other list indexes are taken as they come, so one that
    // matches no item leaves its list without a selection.
    void fill(const SettingsRecord& record);
};

// Item counts of the dialog's lists.
inline constexpr int kLanModeItems = 4;
inline constexpr int kBaudItems = 11;
inline constexpr int kDefaultBaudIndex = 5; // "9600"
inline constexpr int kBufferItems = 9;
inline constexpr int kStopBitsItems = 2;
inline constexpr int kDataBitsItems = 4;
inline constexpr int kParityItems = 3;
inline constexpr int kRsModeItems = 2;

} // namespace obr9
