#include "protocol/Frames.h"

namespace obr9 {

BuiltFrame dataFrame(uint8_t header1, uint8_t header2, uint8_t type, const QByteArray& payload)
{
    if (payload.size() > 255)
        return {{}, QStringLiteral("A data frame carries at most 255 payload bytes (%1 given).")
                        .arg(payload.size())};
    QByteArray frame;
    frame.reserve(5 + payload.size());
    frame.append(char(kStartMarker));
    frame.append(char(header1));
    frame.append(char(header2));
    frame.append(char(type));
    frame.append(char(payload.size()));
    frame.append(payload);
    return {frame, {}};
}

QByteArray commandRequest(const QByteArray& body)
{
    QByteArray frame;
    frame.reserve(int(commandSignature.size()) + 1 + body.size());
    frame.append(reinterpret_cast<const char*>(commandSignature.data()),
                 qsizetype(commandSignature.size()));
    frame.append(char(kStartMarker));
    frame.append(body);
    return frame;
}

QByteArray identificationRequest()
{
    return commandRequest(QByteArray(1, char(kAnswerMarker)));
}

BuiltFrame loginRequest(const QByteArray& user, const QByteArray& password)
{
    if (user.size() + password.size() > kLoginTextLimit)
        return {{}, QStringLiteral("User name and password together may hold at most %1 "
                                   "characters (%2 given).")
                        .arg(kLoginTextLimit)
                        .arg(user.size() + password.size())};
    if (user.contains('\0') || password.contains('\0'))
        return {{}, QStringLiteral("User name and password must not contain a NUL character.")};

    QByteArray body;
    body.reserve(user.size() + password.size() + 3);
    body.append(user);
    body.append('\0');
    body.append(password);
    body.append('\0');
    body.append('\0');
    return {commandRequest(body), {}};
}

QByteArray outputCommand(bool out2On, bool out1On)
{
    const uint8_t state = uint8_t((out2On ? 1 : 0) | (out1On ? 2 : 0));
    return dataFrame(0x01, 0x01, uint8_t(FrameType::InputsOutputs), QByteArray(1, char(state)))
        .bytes;
}

} // namespace obr9
