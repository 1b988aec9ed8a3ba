#include "measure/ChartFileLoader.h"

#include <QFileInfo>

namespace obr9 {

ChartFileLoader::ChartFileLoader(QString path, int expectedSeriesCount)
    : path_(std::move(path))
    , total_(QFileInfo(path_).size())
{
    worker_ = std::thread([this, expectedSeriesCount] { run(expectedSeriesCount); });
}

ChartFileLoader::~ChartFileLoader()
{
    cancel();
    if (worker_.joinable())
        worker_.join();
}

void ChartFileLoader::run(int expectedSeriesCount)
{
    ChartData loaded;
    QString error;
    const bool ok = ChartFile::load(path_, expectedSeriesCount, loaded, &error, &control_);
    State result = State::Done;
    if (ok)
        chart_ = std::move(loaded);
    else if (control_.cancel.load(std::memory_order_relaxed))
        result = State::Cancelled;
    else
        result = State::Failed;
    error_ = std::move(error);
    state_.store(result, std::memory_order_release);
}

QString ChartFileLoader::error() const
{
    return state() == State::Failed ? error_ : QString();
}

ChartData ChartFileLoader::takeChart()
{
    if (state() != State::Done)
        return {};
    return std::move(chart_);
}

} // namespace obr9
