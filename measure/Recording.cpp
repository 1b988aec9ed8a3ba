#include "measure/Recording.h"

#include "protocol/DisplayFormat.h"

namespace obr9 {

Recording::Recording(DisplayFormat& format)
    : format_(format)
{
}

void Recording::ZapiszDane(const float* values, RecordKind kind,
                           const std::array<QByteArray, 8>& channelNames)
{
    if (!enabled)
        return;
    format_.setDecimalSeparator(QLatin1Char(','));

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
