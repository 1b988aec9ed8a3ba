// Cost of the alarm evaluation per HQ-2 reading (one channel frame: its
// internal and external temperature), no windows, the wall clock. The
// budget is 2 us a reading.
//
//   bench_alarms [million readings=5]
//
// Three streams, every temperature with both limits set:
//   quiet    - every value well inside its limits (the usual day);
//   waiting  - every value beyond its upper limit with an on-delay that
//              never runs out, so each reading reads the clock;
//   wavering - values crossing a limit back and forth inside the deadband
//              after the alarm came, the case the deadband is for.
// Events go to the journal in a temporary folder, as in the program.
// Then the same readings as module frames through the HQ-2 model, without
// and with the alarms fed from its channelRead signal as the Program feeds
// them: the difference is what the alarms add to a reading.

#include "BenchModuleFrames.h"
#include "alarm/Alarms.h"
#include "base/Reporter.h"
#include "measure/Hq2Model.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace obr9;
using namespace std::chrono_literals;

namespace {

double nsPerReading(Alarms& alarms, long readings, float (*value)(long i, int ch))
{
    AlarmEngine& engine = alarms.engine();
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < readings; ++i) {
        const int ch = int(i % AlarmEngine::kChannels);
        engine.reading(ch, value(i, ch), value(i, ch) - 5.0f);
        if (ch == 0 && i % (16 * 64) == 0)
            engine.tick(true);
    }
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / double(readings);
}

class NoReports : public Reporter {
public:
    void report(const OperatorMessage&) override {}
};

// ns per reading of the HQ-2 model's parse, 64 module answers per call.
double nsPerFrame(Hq2Model& model, long readings)
{
    std::vector<uint8_t> chunk;
    for (int step = 0; step < 64; ++step) {
        const std::vector<uint8_t> answer = moduleAnswer(step);
        chunk.insert(chunk.end(), answer.begin(), answer.end());
    }
    const long calls = std::max(1L, readings / (64 * 16));
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i)
        model.parse(chunk.data(), int(chunk.size()));
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / double(calls * 64 * 16);
}

double alarmsAddedOnTheBus(long readings)
{
    NoReports quiet;
    QTemporaryDir dir;
    Hq2Model bare(quiet);
    Hq2Model fed(quiet);
    Alarms alarms;
    alarms.journal().setFolder(dir.path());
    for (int k = 0; k < AlarmEngine::kTemperatures; ++k)
        alarms.engine().setLimits(k, 30.0f, 10.0f);
    QObject::connect(&fed, &Hq2Model::channelRead, &alarms, [&alarms](const ModuleChannelReading& r) {
        alarms.engine().reading(r.channel, r.internal, r.external);
    });
    nsPerFrame(bare, readings / 10); // warm up
    const double without = nsPerFrame(bare, readings);
    const double with = nsPerFrame(fed, readings);
    std::printf("HQ-2 model parse: %.1f ns/reading without alarms, %.1f ns with: %.1f ns added\n",
                without, with, with - without);
    return with - without;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long readings = (argc > 1 ? std::atol(argv[1]) : 5) * 1'000'000L;
    QTemporaryDir dir;
    Alarms alarms;
    alarms.journal().setFolder(dir.path());
    for (int k = 0; k < AlarmEngine::kTemperatures; ++k) {
        alarms.engine().setName(k, QStringLiteral("channel %1").arg(k));
        alarms.engine().setLimits(k, 30.0f, 10.0f);
    }
    struct Stream {
        const char* name;
        std::chrono::milliseconds onDelay;
        float (*value)(long, int);
    };
    const Stream streams[] = {
        {"quiet", 5000ms, [](long i, int ch) { return 20.0f + float(ch) * 0.1f + float(i % 7) * 0.01f; }},
        {"waiting", 3600'000ms, [](long i, int) { return 35.0f + float(i % 5) * 0.1f; }},
        {"wavering", 0ms, [](long i, int) { return i % 2 ? 29.8f : 30.2f; }},
    };
    std::printf("alarm evaluation, %ld readings per stream (budget 2000 ns a reading)\n", readings);
    bool within = true;
    for (const Stream& s : streams) {
        alarms.engine().setOnDelay(s.onDelay);
        const double ns = nsPerReading(alarms, readings, s.value);
        within = within && ns <= 2000.0;
        std::printf("  %-9s %8.1f ns/reading   active %d, unacknowledged %d\n", s.name, ns,
                    alarms.engine().activeCount(), alarms.engine().unacknowledgedCount());
        alarms.engine().acknowledgeAll();
    }
    within = alarmsAddedOnTheBus(readings / 5) <= 2000.0 && within;
    std::printf("%s\n", within ? "within budget" : "OVER BUDGET");
    return within ? 0 : 1;
}
