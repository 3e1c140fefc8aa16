#include "textures/mip_scaler.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

// The classic scaler widens each byte b to the 16-bit sample b * 257, sums
// each output texel's box of samples times their fractional weights in single
// precision, one tap after the other, row by row and left to right within a
// row, divides by the summed weights, and keeps the high byte. Once a sum
// passes 2^24 every addition rounds, so the order of the additions is part of
// the result: the filter below keeps it for every output texel, and only
// interleaves the sums of different texels, which are independent.

namespace {

const int channels = 3;
const int maxWorkers = 4;

// Below this many input texels a level is not worth a second thread.
const long long minTexelsPerWorker = 1 << 16;

const float* WideSamples()
{
    static const struct Table {
        float sample[256];
        Table()
        {
            for (int b = 0; b < 256; ++b)
                sample[b] = static_cast<float>(b * 257);
        }
    } table;
    return table.sample;
}

// (sum + 0.5) / area in double precision, then to a 16-bit sample the way the
// x86 conversion does it (through a 32-bit integer, keeping the low 16 bits),
// then its high byte.
unsigned char NarrowSample(float sum, float area)
{
    const double value = (static_cast<double>(sum) + 0.5) / static_cast<double>(area);
    const int whole = value > -2147483649.0 && value < 2147483648.0 ? static_cast<int>(value) : INT_MIN;
    return static_cast<unsigned char>((static_cast<unsigned>(whole) & 0xFFFFu) >> 8);
}

bool IsIdentity(const AxisTaps& taps)
{
    const int size = static_cast<int>(taps.first.size()) - 1;
    if (static_cast<int>(taps.index.size()) != size)
        return false;
    for (int i = 0; i < size; ++i) {
        if (taps.index[i] != i || taps.weight[i] != 1.0f)
            return false;
    }
    return true;
}

// Exact halving: the rounded mean of four 16-bit samples, narrowed:
// ((257 * s + 2) / 4) >> 8 for the byte sum s, which is (257 * s + 2) >> 10.
void HalveRows(const unsigned char* in, int inWidth, unsigned char* out, int outWidth, int rowBegin,
               int rowEnd)
{
    const size_t inRow = static_cast<size_t>(inWidth) * channels;
    const size_t outRow = static_cast<size_t>(outWidth) * channels;
    for (int i = rowBegin; i < rowEnd; ++i) {
        const unsigned char* lower = in + 2 * static_cast<size_t>(i) * inRow;
        const unsigned char* upper = lower + inRow;
        unsigned char* target = out + static_cast<size_t>(i) * outRow;
        for (size_t j = 0; j < outRow; j += channels) {
            for (int c = 0; c < channels; ++c) {
                const size_t left = 2 * j + c;
                const unsigned sum = lower[left] + lower[left + channels] + upper[left] + upper[left + channels];
                target[j + c] = static_cast<unsigned char>((257u * sum + 2u) >> 10);
            }
        }
    }
}

// One level's box filter. Columns are laid out tap by tap, each tap for every
// output column, so that the inner loop adds to different texels' sums.
// Columns with fewer taps than the longest are padded with zero weights,
// which leave a sum exactly as it is.
struct BoxFilter {
    const unsigned char* in;
    int inWidth;
    unsigned char* out;
    int outWidth;
    AxisTaps rows;
    int columnTaps;
    std::vector<int> columnQuad;      // [tap * outWidth + column]: offset of the input texel's quad
    std::vector<float> columnWeight;  // [tap * outWidth + column]
};

void BuildColumns(const AxisTaps& columns, int outWidth, BoxFilter* filter)
{
    int longest = 0;
    for (int j = 0; j < outWidth; ++j)
        longest = std::max(longest, columns.first[j + 1] - columns.first[j]);
    filter->columnTaps = longest;
    const size_t cells = static_cast<size_t>(longest) * outWidth;
    filter->columnQuad.assign(cells, 0);
    filter->columnWeight.assign(cells, 0.0f);
    for (int j = 0; j < outWidth; ++j) {
        for (int k = columns.first[j]; k < columns.first[j + 1]; ++k) {
            const size_t cell = static_cast<size_t>(k - columns.first[j]) * outWidth + j;
            filter->columnQuad[cell] = columns.index[k] * 4;
            filter->columnWeight[cell] = columns.weight[k];
        }
    }
}

// Output rows [rowBegin, rowEnd). `quads` holds one input row as red, green,
// blue and 1 per texel (the 1 sums the weights, the area); `sums` one output
// row's four sums per texel.
void FilterRows(const BoxFilter& filter, float* quads, float* sums, int rowBegin, int rowEnd)
{
    const float* wide = WideSamples();
    const int outWidth = filter.outWidth;
    const size_t inRow = static_cast<size_t>(filter.inWidth) * channels;
    int quadRow = -1;
    for (int i = rowBegin; i < rowEnd; ++i) {
        std::fill(sums, sums + 4 * static_cast<size_t>(outWidth), 0.0f);
        for (int r = filter.rows.first[i]; r < filter.rows.first[i + 1]; ++r) {
            if (filter.rows.index[r] != quadRow) {
                quadRow = filter.rows.index[r];
                const unsigned char* source = filter.in + static_cast<size_t>(quadRow) * inRow;
                for (int x = 0; x < filter.inWidth; ++x) {
                    float* quad = quads + 4 * static_cast<size_t>(x);
                    quad[0] = wide[source[3 * static_cast<size_t>(x)]];
                    quad[1] = wide[source[3 * static_cast<size_t>(x) + 1]];
                    quad[2] = wide[source[3 * static_cast<size_t>(x) + 2]];
                    quad[3] = 1.0f;
                }
            }
            const float rowWeight = filter.rows.weight[r];
            for (int t = 0; t < filter.columnTaps; ++t) {
                const int* quad = &filter.columnQuad[static_cast<size_t>(t) * outWidth];
                const float* weight = &filter.columnWeight[static_cast<size_t>(t) * outWidth];
                for (int j = 0; j < outWidth; ++j) {
                    const float percent = weight[j] * rowWeight;
                    const float* q = quads + quad[j];
                    float* s = sums + 4 * static_cast<size_t>(j);
                    s[0] += q[0] * percent;
                    s[1] += q[1] * percent;
                    s[2] += q[2] * percent;
                    s[3] += q[3] * percent;
                }
            }
        }
        unsigned char* target = filter.out + static_cast<size_t>(i) * outWidth * channels;
        for (int j = 0; j < outWidth; ++j) {
            const float* s = sums + 4 * static_cast<size_t>(j);
            for (int c = 0; c < channels; ++c)
                target[channels * static_cast<size_t>(j) + c] = NarrowSample(s[c], s[3]);
        }
    }
}

int WorkerCount(long long inTexels, int outHeight)
{
    const long long byWork = std::max(1LL, inTexels / minTexelsPerWorker);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return static_cast<int>(std::min<long long>({byWork, cores, maxWorkers, outHeight}));
}

// Shares rows [0, rowCount) out in equal runs: run 0 on this thread, the
// others on workers (or here too when a thread cannot be had); all joined.
template <typename Work>
void RunRows(int rowCount, int workers, const Work& work)
{
    std::thread threads[maxWorkers];
    for (int k = 1; k < workers; ++k) {
        const int begin = static_cast<int>(static_cast<long long>(rowCount) * k / workers);
        const int end = static_cast<int>(static_cast<long long>(rowCount) * (k + 1) / workers);
        try {
            threads[k] = std::thread([&work, begin, end, k] { work(begin, end, k); });
        } catch (const std::system_error&) {
            work(begin, end, k);
        }
    }
    work(0, static_cast<int>(static_cast<long long>(rowCount) / workers), 0);
    for (std::thread& thread : threads) {
        if (thread.joinable())
            thread.join();
    }
}

}  // namespace

AxisTaps ScaleAxisTaps(int inSize, int outSize)
{
    AxisTaps taps;
    taps.first.reserve(static_cast<size_t>(outSize) + 1);
    // The same single- and double-precision steps as the classic scaler, so
    // the box edges round as they do there.
    const float conv = static_cast<float>(inSize) / static_cast<float>(outSize);
    const float halfConv = conv / 2;
    for (int i = 0; i < outSize; ++i) {
        taps.first.push_back(static_cast<int>(taps.index.size()));
        const float centre = static_cast<float>(conv * (i + 0.5));
        float low, high;
        if (inSize > outSize) {
            high = centre + halfConv;
            low = centre - halfConv;
        } else {
            high = static_cast<float>(centre + 0.5);
            low = static_cast<float>(centre - 0.5);
        }
        float at = low;
        int whole = static_cast<int>(std::floor(at));
        while (at < high) {
            const float next = static_cast<float>(whole + 1);
            taps.index.push_back((whole + inSize) % inSize);
            taps.weight.push_back(high < next ? high - at : next - at);
            ++whole;
            at = static_cast<float>(whole);
        }
    }
    taps.first.push_back(static_cast<int>(taps.index.size()));
    return taps;
}

bool ScaleHalves(int inWidth, int inHeight, int outWidth, int outHeight)
{
    return inWidth == 2 * static_cast<long long>(outWidth) && inHeight == 2 * static_cast<long long>(outHeight);
}

bool ScaleRgbImage(const unsigned char* in, int inWidth, int inHeight, unsigned char* out,
                   int outWidth, int outHeight)
{
    if (inWidth < 1 || inHeight < 1 || outWidth < 1 || outHeight < 1)
        return false;
    const long long inTexels = static_cast<long long>(inWidth) * inHeight;
    const int workers = WorkerCount(inTexels, outHeight);
    if (ScaleHalves(inWidth, inHeight, outWidth, outHeight)) {
        RunRows(outHeight, workers, [&](int begin, int end, int) {
            HalveRows(in, inWidth, out, outWidth, begin, end);
        });
        return true;
    }
    try {
        BoxFilter filter{in, inWidth, out, outWidth, ScaleAxisTaps(inHeight, outHeight), 0, {}, {}};
        const AxisTaps columns = ScaleAxisTaps(inWidth, outWidth);
        if (IsIdentity(filter.rows) && IsIdentity(columns)) {
            std::memcpy(out, in, static_cast<size_t>(inTexels) * channels);
            return true;
        }
        BuildColumns(columns, outWidth, &filter);
        const size_t quadFloats = 4 * static_cast<size_t>(inWidth);
        const size_t sumFloats = 4 * static_cast<size_t>(outWidth);
        std::vector<float> scratch(static_cast<size_t>(workers) * (quadFloats + sumFloats));
        RunRows(outHeight, workers, [&](int begin, int end, int k) {
            float* quads = scratch.data() + static_cast<size_t>(k) * (quadFloats + sumFloats);
            FilterRows(filter, quads, quads + quadFloats, begin, end);
        });
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
