// The block codec and the compressed column built on it: every value comes
// back bit for bit, across block boundaries and read in any order.
#include "measure/BlockCodec.h"
#include "measure/CompressedColumn.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace obr9;

namespace {

// Awkward values among steady ones: NaNs with payloads and signs, -0.0,
// infinities, denormals, the extremes.
template <typename T, typename Word>
std::vector<Word> awkwardWords(std::mt19937_64& random, std::size_t n)
{
    const Word specials[] = {
        std::bit_cast<Word>(std::numeric_limits<T>::quiet_NaN()) | 0x5,
        std::bit_cast<Word>(-std::numeric_limits<T>::quiet_NaN()),
        std::bit_cast<Word>(std::numeric_limits<T>::signaling_NaN()) | 0x3,
        std::bit_cast<Word>(T(-0.0)),
        std::bit_cast<Word>(std::numeric_limits<T>::infinity()),
        std::bit_cast<Word>(std::numeric_limits<T>::denorm_min()),
        std::bit_cast<Word>(std::numeric_limits<T>::max()),
        std::bit_cast<Word>(std::numeric_limits<T>::lowest()),
        Word(0),
        ~Word(0),
    };
    std::vector<Word> words;
    T steady = T(21.5);
    for (std::size_t i = 0; i < n; ++i) {
        if (random() % 9 == 0)
            steady += T(0.0625) * T(int(random() % 3) - 1);
        const auto pick = random() % 16;
        words.push_back(pick < 10 ? specials[pick] : std::bit_cast<Word>(steady));
    }
    return words;
}

template <typename Word>
void checkRoundTrip(const std::vector<Word>& words, std::size_t expectedMaxSize)
{
    std::vector<uint8_t> bytes;
    blockcodec::encode(words.data(), words.size(), bytes);
    QVERIFY(bytes.size() <= expectedMaxSize);
    std::vector<Word> back(words.size() + 1, Word(0x55));
    QVERIFY(blockcodec::decode(bytes.data(), bytes.size(), words.size(), back.data()));
    back.pop_back();
    QVERIFY(back == words);
    // A byte missing is refused.
    if (!words.empty())
        QVERIFY(!blockcodec::decode(bytes.data(), bytes.size() - 1, words.size(), back.data()));
}

} // namespace

class TestBlockCodec : public QObject {
    Q_OBJECT

private slots:
    void blocksComeBackBitForBit()
    {
        std::mt19937_64 random(7);
        for (const std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(1024)}) {
            checkRoundTrip(awkwardWords<float, uint32_t>(random, n), blockcodec::maxBytes(n, 4));
            checkRoundTrip(awkwardWords<double, uint64_t>(random, n), blockcodec::maxBytes(n, 8));
        }
        // Noise over the whole mantissa costs one byte more than raw; values
        // in sensor steps far less than raw.
        std::vector<uint32_t> noise;
        std::vector<uint32_t> steps;
        for (int i = 0; i < 1024; ++i) {
            noise.push_back(uint32_t(random()));
            steps.push_back(std::bit_cast<uint32_t>(20.0f + float(i / 40) * 0.0625f));
        }
        checkRoundTrip(noise, blockcodec::maxBytes(1024, 4));
        checkRoundTrip(steps, 1024 / 8 + 60);
        std::vector<uint8_t> bytes = {7, 0, 0, 0, 0};
        uint32_t out = 0;
        QVERIFY(!blockcodec::decode(bytes.data(), bytes.size(), 1, &out)); // unknown kind
    }

    void columnsReadAnyPointAcrossBlocks()
    {
        // Three closed blocks and part of an open one, read in a random
        // order and then in runs that cross block ends; copies read alike.
        std::mt19937_64 random(3);
        const std::size_t n = 3 * CompressedColumn<float>::kBlock + 300;
        const std::vector<uint32_t> fw = awkwardWords<float, uint32_t>(random, n);
        const std::vector<uint64_t> dw = awkwardWords<double, uint64_t>(random, n);
        CompressedColumn<float> floats;
        CompressedColumn<double> doubles;
        for (std::size_t i = 0; i < n; ++i) {
            floats.push_back(std::bit_cast<float>(fw[i]));
            doubles.push_back(std::bit_cast<double>(dw[i]));
        }
        const CompressedColumn<float> copy = floats;
        QCOMPARE(copy.size(), n);
        for (int k = 0; k < 5000; ++k) {
            const std::size_t i = random() % n;
            QCOMPARE(std::bit_cast<uint32_t>(floats[i]), fw[i]);
            QCOMPARE(std::bit_cast<uint64_t>(doubles[i]), dw[i]);
            QCOMPARE(std::bit_cast<uint32_t>(copy[(i * 7) % n]), fw[(i * 7) % n]);
        }
        const std::size_t block = CompressedColumn<float>::kBlock;
        for (std::size_t i = block - 5; i < n; i += block) {
            const float* run = floats.at(i); // up to the end of its block
            for (std::size_t k = i; k < std::min(n, (i / block + 1) * block); ++k)
                QCOMPARE(std::bit_cast<uint32_t>(run[k - i]), fw[k]);
        }
        floats.clear();
        QCOMPARE(floats.size(), std::size_t(0));
        floats.push_back(1.0f);
        QCOMPARE(floats[0], 1.0f);
    }
};

QTEST_GUILESS_MAIN(TestBlockCodec)
#include "test_block_codec.moc"
