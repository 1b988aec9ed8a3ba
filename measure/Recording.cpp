#include "measure/Recording.h"

namespace obr9 {

void Recording::ZapiszDane(const float* values, RecordKind kind,
                           const std::array<QByteArray, 8>& channelNames)
{
    if (!enabled)
        return;
    if (decimalSeparator_ != QLatin1Char(',')) {
        decimalSeparator_ = QLatin1Char(',');
        emit decimalSeparatorChanged(decimalSeparator_);
    }

    const CsvRecorder::Result result = recorder_.append(values, kind, voltageIntervalIndex,
                                                        temperatureIntervalIndex, channelNames);
    if (result.written) {
        if (!failingFiles_.isEmpty())
            failingFiles_.removeOne(recorder_.filePath(kind));
    } else if (!result.failedFile.isEmpty() && !failingFiles_.contains(result.failedFile)) {
        // One line per file, not per frame: a voltage file fails ten times a second.
        failingFiles_.append(result.failedFile);
        if (memo_)
            memo_(QStringLiteral("BLAD_OTWARCIA_PLIKU ") + result.failedFile);
    }
}

} // namespace obr9
