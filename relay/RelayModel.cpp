#include "relay/RelayModel.h"

#include "relay/RelayCommands.h"

namespace obr9 {

RelayModel::RelayModel(QObject* parent)
    : QObject(parent)
{
    for (int n = 0; n < kOutputs; ++n)
        outputs_[size_t(n)].name = QStringLiteral("OUT%1").arg(n);
    for (int m = 0; m < kModules; ++m)
        modules_[size_t(m)].name = QStringLiteral("OUTPUTS %1").arg(m);
}

uint8_t RelayModel::stateBits(int m) const
{
    uint8_t bits = 0;
    for (int i = 0; i < kOutputsPerModule; ++i) {
        if (outputs_[size_t(m * kOutputsPerModule + i)].state != 0)
            bits |= uint8_t(1u << i);
    }
    return bits;
}

QByteArray RelayModel::switchCommand(int n, int32_t seconds) const
{
    const int m = n / kOutputsPerModule;
    return relaySwitchCommand(modules_[size_t(m)].rsid, stateBits(m), n % kOutputsPerModule,
                              seconds);
}

QList<QByteArray> RelayModel::press(int n)
{
    if (n < 0 || n >= kOutputs)
        return {};
    selection_ = n;
    currentModule_ = n / kOutputsPerModule;
    RelayOutput& out = outputs_[size_t(n)];
    // The command carries the requested state; the stored one goes back to
    // what the module reported, and the answer brings the news.
    const uint8_t reported = out.state;
    QByteArray frame;
    switch (out.mode) {
    case Monostable:
        out.state = 1;
        frame = switchCommand(n, 0);
        out.state = 0;
        break;
    case Bistable:
        out.state = reported != 0 ? 0 : 1;
        frame = switchCommand(n, 0);
        out.state = reported != 0 ? 1 : 0;
        break;
    case Timed:
        out.state = 1;
        frame = switchCommand(n, out.time);
        out.state = 0;
        out.countdown = out.time;
        break;
    default:
        return {};
    }
    return {frame};
}

QList<QByteArray> RelayModel::release(int n)
{
    if (n < 0 || n >= kOutputs)
        return {};
    currentModule_ = n / kOutputsPerModule;
    RelayOutput& out = outputs_[size_t(n)];
    if (out.mode != Monostable)
        return {};
    out.state = 0;
    return {switchCommand(n, 0)};
}

QByteArray RelayModel::readState(int m)
{
    currentModule_ = m;
    return relayStateRequest(modules_[size_t(m)].rsid);
}

QList<int> RelayModel::applyStateAnswer(uint8_t stateBits)
{
    QList<int> changed;
    for (int k = 0; k < kOutputsPerModule; ++k) {
        const int n = currentModule_ * kOutputsPerModule + k;
        outputs_[size_t(n)].state = (stateBits >> k) & 1;
        changed.append(n);
    }
    for (int n : changed)
        emit outputStateChanged(n);
    return changed;
}

QList<int> RelayModel::tick()
{
    QList<int> changed;
    for (int n = 0; n < kOutputs; ++n) {
        RelayOutput& out = outputs_[size_t(n)];
        if (out.countdown <= 0)
            continue;
        --out.countdown;
        out.modeLetter = out.countdown > 0 ? QString::number(out.countdown) : QStringLiteral("T");
        changed.append(n);
    }
    for (int n : changed)
        emit modeLetterChanged(n);
    return changed;
}

QString RelayModel::letterFor(int mode, const QString& current)
{
    switch (mode) {
    case Monostable:
        return QStringLiteral("M");
    case Bistable:
        return QStringLiteral("B");
    case Timed:
        return QStringLiteral("T");
    default:
        return current;
    }
}

void RelayModel::setMode(int n, int mode)
{
    RelayOutput& out = outputs_[size_t(n)];
    out.mode = mode;
    out.modeLetter = letterFor(mode, out.modeLetter);
}

} // namespace obr9
