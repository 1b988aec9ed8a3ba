#include "measure/Hq2Model.h"

#include "measure/ModuleCharts.h"

#include <chrono>

namespace obr9 {

Hq2Model::Hq2Model(Reporter& reporter, QObject* parent)
    : QObject(parent)
    , temperatures_(makeTemperatureChart())
    , voltages_(makeVoltageChart())
    , parser_(this)
    , periodic_(reporter, temperatures_, [this] { return recording_[TemperatureChart]; }, voltages_,
                [this] { return recording_[VoltageChart]; })
{
    parser_.setCharts(&temperatures_, &voltages_);
    periodic_.fileNamed = [this](const QString& name) { setChartFileName(name); };
}

Hq2Model::~Hq2Model() = default;

void Hq2Model::setClock(Clock clock)
{
    periodic_.setClock(clock);
    parser_.setClock(std::move(clock));
}

void Hq2Model::setChartingPeriod(int milliseconds)
{
    parser_.setChartingPeriod(std::chrono::milliseconds(milliseconds));
    emit chartingPeriodChanged(milliseconds);
}

void Hq2Model::setChartFileName(const QString& name)
{
    if (name == chartFileName_)
        return;
    chartFileName_ = name;
    emit chartFileNameChanged(chartFileName_);
}

void Hq2Model::bytesOfCall(int count)
{
    bytesOfLastCall_ = count;
    emit bytesCounted(count);
}

void Hq2Model::channelReading(const ModuleChannelReading& reading)
{
    readings_[std::size_t(reading.channel)] = reading;
    emit channelRead(reading);
}

void Hq2Model::chartingStep(const ModuleChartingStep& step)
{
    if (step.addsPoints)
        periodic_.pointsAdded();
    emit chartingStepped(step);
}

} // namespace obr9
