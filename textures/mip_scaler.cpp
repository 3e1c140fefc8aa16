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

// Four single-precision lanes added and multiplied as four separate floats,
// so each lane rounds exactly as a lone float operation would.
#if defined(__GNUC__)
typedef float Quad __attribute__((vector_size(16)));
#else
struct Quad {
    float lane[4];
    float operator[](int i) const { return lane[i]; }
    Quad& operator+=(const Quad& o)
    {
        for (int i = 0; i < 4; ++i)
            lane[i] += o.lane[i];
        return *this;
    }
    Quad operator*(float f) const { return {{lane[0] * f, lane[1] * f, lane[2] * f, lane[3] * f}}; }
};
#endif

// Red, green, blue of a texel and the next texel's red, which is ignored.
inline Quad LoadTexel(const float* samples)
{
    Quad quad;
    std::memcpy(&quad, samples, sizeof quad);
    return quad;
}

const int channels = 3;
const int maxWorkers = 4;

// Below this many input texels a level is not worth a second thread.
const long long minTexelsPerWorker = 1 << 16;

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
// output column. Columns with fewer taps than the longest are padded with
// zero weights, which leave a sum exactly as it is. A filter is regular when
// every box is a whole number of texels of weight 1, side by side: then the
// products are the samples themselves and the area a count.
struct BoxFilter {
    const unsigned char* in;
    int inWidth;
    unsigned char* out;
    int outWidth;
    AxisTaps rows;
    int columnTaps;
    std::vector<int> columnSample;    // [tap * outWidth + column]: 3 x the input texel
    std::vector<float> columnWeight;  // [tap * outWidth + column]
    bool regularColumns;
    bool regularRows;
};

bool IsRegular(const AxisTaps& taps, int inSize)
{
    const int outSize = static_cast<int>(taps.first.size()) - 1;
    if (inSize % outSize != 0 || static_cast<int>(taps.index.size()) != inSize)
        return false;
    for (int k = 0; k < inSize; ++k) {
        if (taps.index[k] != k || taps.weight[k] != 1.0f)
            return false;
    }
    const int span = inSize / outSize;
    for (int i = 0; i <= outSize; ++i) {
        if (taps.first[i] != i * span)
            return false;
    }
    return true;
}

void BuildColumns(const AxisTaps& columns, int inWidth, int outWidth, BoxFilter* filter)
{
    int longest = 0;
    for (int j = 0; j < outWidth; ++j)
        longest = std::max(longest, columns.first[j + 1] - columns.first[j]);
    filter->columnTaps = longest;
    const size_t cells = static_cast<size_t>(longest) * outWidth;
    filter->columnSample.assign(cells, 0);
    filter->columnWeight.assign(cells, 0.0f);
    for (int j = 0; j < outWidth; ++j) {
        for (int k = columns.first[j]; k < columns.first[j + 1]; ++k) {
            const size_t cell = static_cast<size_t>(k - columns.first[j]) * outWidth + j;
            filter->columnSample[cell] = channels * columns.index[k];
            filter->columnWeight[cell] = columns.weight[k];
        }
    }
    filter->regularColumns = IsRegular(columns, inWidth);
}

// Sums of consecutive texels into one column's sum, in a register.
inline void AddSpan(Quad& sum, const float* samples, int span)
{
    for (int t = 0; t < span; ++t)
        sum += LoadTexel(samples + channels * t);
}

// One input row into the sums of every output column, regular boxes: four
// columns at a time, each column's taps still in order.
void AddRegularRow(const float* samples, int span, int outWidth, Quad* sums)
{
    const int stride = channels * span;
    int j = 0;
    for (; j + 4 <= outWidth; j += 4) {
        Quad a0 = sums[j], a1 = sums[j + 1], a2 = sums[j + 2], a3 = sums[j + 3];
        const float* s = samples + static_cast<size_t>(j) * stride;
        for (int t = 0; t < stride; t += channels) {
            a0 += LoadTexel(s + t);
            a1 += LoadTexel(s + stride + t);
            a2 += LoadTexel(s + 2 * stride + t);
            a3 += LoadTexel(s + 3 * stride + t);
        }
        sums[j] = a0;
        sums[j + 1] = a1;
        sums[j + 2] = a2;
        sums[j + 3] = a3;
    }
    for (; j + 2 <= outWidth; j += 2) {
        Quad a0 = sums[j], a1 = sums[j + 1];
        const float* s = samples + static_cast<size_t>(j) * stride;
        for (int t = 0; t < stride; t += channels) {
            a0 += LoadTexel(s + t);
            a1 += LoadTexel(s + stride + t);
        }
        sums[j] = a0;
        sums[j + 1] = a1;
    }
    if (j < outWidth)
        AddSpan(sums[j], samples + static_cast<size_t>(j) * stride, span);
}

// The same for any boxes: each tap times its column weight times the row's.
void AddWeightedRow(const BoxFilter& filter, const float* samples, float rowWeight, Quad* sums)
{
    const int outWidth = filter.outWidth;
    int j = 0;
    for (; j + 4 <= outWidth; j += 4) {
        Quad a0 = sums[j], a1 = sums[j + 1], a2 = sums[j + 2], a3 = sums[j + 3];
        for (int t = 0; t < filter.columnTaps; ++t) {
            const size_t cell = static_cast<size_t>(t) * outWidth + j;
            const int* at = &filter.columnSample[cell];
            const float* w = &filter.columnWeight[cell];
            a0 += LoadTexel(samples + at[0]) * (w[0] * rowWeight);
            a1 += LoadTexel(samples + at[1]) * (w[1] * rowWeight);
            a2 += LoadTexel(samples + at[2]) * (w[2] * rowWeight);
            a3 += LoadTexel(samples + at[3]) * (w[3] * rowWeight);
        }
        sums[j] = a0;
        sums[j + 1] = a1;
        sums[j + 2] = a2;
        sums[j + 3] = a3;
    }
    for (; j < outWidth; ++j) {
        for (int t = 0; t < filter.columnTaps; ++t) {
            const size_t cell = static_cast<size_t>(t) * outWidth + j;
            sums[j] += LoadTexel(samples + filter.columnSample[cell]) * (filter.columnWeight[cell] * rowWeight);
        }
    }
}

// Output rows [rowBegin, rowEnd). `samples` holds one input row widened to
// floats (and one spare float), `sums` and `areas` one output row's.
void FilterRows(const BoxFilter& filter, float* samples, Quad* sums, float* areas, int rowBegin, int rowEnd)
{
    const int outWidth = filter.outWidth;
    const size_t inRow = static_cast<size_t>(filter.inWidth) * channels;
    const bool regular = filter.regularColumns && filter.regularRows;
    const int span = filter.regularColumns ? filter.inWidth / outWidth : 0;
    samples[inRow] = 0.0f;
    int sampleRow = -1;
    for (int i = rowBegin; i < rowEnd; ++i) {
        std::fill(sums, sums + outWidth, Quad{});
        std::fill(areas, areas + outWidth, 0.0f);
        for (int r = filter.rows.first[i]; r < filter.rows.first[i + 1]; ++r) {
            if (filter.rows.index[r] != sampleRow) {
                sampleRow = filter.rows.index[r];
                const unsigned char* source = filter.in + static_cast<size_t>(sampleRow) * inRow;
                for (size_t k = 0; k < inRow; ++k)
                    samples[k] = static_cast<float>(source[k]) * 257.0f;
            }
            const float rowWeight = filter.rows.weight[r];
            if (regular) {
                AddRegularRow(samples, span, outWidth, sums);
                continue;
            }
            AddWeightedRow(filter, samples, rowWeight, sums);
            for (int t = 0; t < filter.columnTaps; ++t) {
                const float* w = &filter.columnWeight[static_cast<size_t>(t) * outWidth];
                for (int j = 0; j < outWidth; ++j)
                    areas[j] += w[j] * rowWeight;
            }
        }
        if (regular) {
            // Adding 1 to 2^24 in single precision gives 2^24 again.
            const long long count =
                static_cast<long long>(span) * (filter.rows.first[i + 1] - filter.rows.first[i]);
            std::fill(areas, areas + outWidth, static_cast<float>(std::min(count, 1LL << 24)));
        }
        unsigned char* target = filter.out + static_cast<size_t>(i) * outWidth * channels;
        for (int j = 0; j < outWidth; ++j) {
            for (int c = 0; c < channels; ++c)
                target[channels * static_cast<size_t>(j) + c] = NarrowSample(sums[j][c], areas[j]);
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

bool IsRegularLevel(int inWidth, int inHeight, int outWidth, int outHeight)
{
    return !ScaleHalves(inWidth, inHeight, outWidth, outHeight) &&
           IsRegular(ScaleAxisTaps(inWidth, outWidth), inWidth) &&
           IsRegular(ScaleAxisTaps(inHeight, outHeight), inHeight);
}

// Regular levels [begin, end) in one pass over the picture: each input row is
// widened once and added to every level's sums; a level's output row is done
// when its last input row is in. `sums` has room for every level's row.
void FilterRegularLevels(const unsigned char* in, int inWidth, int inHeight, const BitmapLevelSize* sizes,
                         unsigned char* const* outs, int begin, int end, float* samples, Quad* sums)
{
    const size_t inRow = static_cast<size_t>(inWidth) * channels;
    samples[inRow] = 0.0f;
    size_t quads = 0;
    for (int level = begin; level < end; ++level)
        quads += static_cast<size_t>(sizes[level].width);
    std::fill(sums, sums + quads, Quad{});
    for (int r = 0; r < inHeight; ++r) {
        const unsigned char* source = in + static_cast<size_t>(r) * inRow;
        for (size_t k = 0; k < inRow; ++k)
            samples[k] = static_cast<float>(source[k]) * 257.0f;
        Quad* levelSums = sums;
        for (int level = begin; level < end; ++level) {
            const int outWidth = sizes[level].width;
            const int spanX = inWidth / outWidth;
            const int spanY = inHeight / sizes[level].height;
            AddRegularRow(samples, spanX, outWidth, levelSums);
            if ((r + 1) % spanY == 0) {
                // Adding 1 to 2^24 in single precision gives 2^24 again.
                const float area =
                    static_cast<float>(std::min(static_cast<long long>(spanX) * spanY, 1LL << 24));
                unsigned char* target = outs[level] + static_cast<size_t>(r / spanY) * outWidth * channels;
                for (int j = 0; j < outWidth; ++j) {
                    for (int c = 0; c < channels; ++c)
                        target[channels * static_cast<size_t>(j) + c] = NarrowSample(levelSums[j][c], area);
                }
                std::fill(levelSums, levelSums + outWidth, Quad{});
            }
            levelSums += outWidth;
        }
    }
}

// Regular levels together, shared out to workers by level: each worker reads
// the picture once for all of its levels. False when memory is short.
bool ScaleRegularLevels(const unsigned char* in, int inWidth, int inHeight, const BitmapLevelSize* sizes,
                        int count, unsigned char* const* outs)
{
    const int workers = std::min(WorkerCount(static_cast<long long>(inWidth) * inHeight, count), count);
    try {
        const size_t rowQuads = (static_cast<size_t>(inWidth) * channels + 1 + 3) / 4;
        size_t sumQuads = 0;
        for (int level = 0; level < count; ++level)
            sumQuads += static_cast<size_t>(sizes[level].width);
        const size_t quadsPerWorker = rowQuads + sumQuads;
        std::vector<Quad> scratch(static_cast<size_t>(workers) * quadsPerWorker);
        RunRows(count, workers, [&](int begin, int end, int k) {
            Quad* base = scratch.data() + static_cast<size_t>(k) * quadsPerWorker;
            FilterRegularLevels(in, inWidth, inHeight, sizes, outs, begin, end, reinterpret_cast<float*>(base),
                                base + rowQuads);
        });
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
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
        BoxFilter filter{in, inWidth, out, outWidth, ScaleAxisTaps(inHeight, outHeight), 0, {}, {}, false, false};
        const AxisTaps columns = ScaleAxisTaps(inWidth, outWidth);
        if (IsIdentity(filter.rows) && IsIdentity(columns)) {
            std::memcpy(out, in, static_cast<size_t>(inTexels) * channels);
            return true;
        }
        BuildColumns(columns, inWidth, outWidth, &filter);
        filter.regularRows = IsRegular(filter.rows, inHeight);
        // Per worker: an input row of floats and a spare, then the sums and areas.
        const size_t rowFloats = static_cast<size_t>(inWidth) * channels + 1;
        const size_t quadsPerWorker = (rowFloats + 3) / 4 + static_cast<size_t>(outWidth) * 2;
        std::vector<Quad> scratch(static_cast<size_t>(workers) * quadsPerWorker);
        RunRows(outHeight, workers, [&](int begin, int end, int k) {
            Quad* base = scratch.data() + static_cast<size_t>(k) * quadsPerWorker;
            Quad* sums = base + (rowFloats + 3) / 4;
            float* areas = reinterpret_cast<float*>(sums + outWidth);
            FilterRows(filter, reinterpret_cast<float*>(base), sums, areas, begin, end);
        });
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool ScaleKeepsPicture(int inWidth, int inHeight, int outWidth, int outHeight)
{
    if (inWidth != outWidth || inHeight != outHeight || inWidth < 1 || inHeight < 1)
        return false;
    try {
        return IsIdentity(ScaleAxisTaps(inWidth, outWidth)) && IsIdentity(ScaleAxisTaps(inHeight, outHeight));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void ScaleLevels(unsigned char* picture, int width, int height, const BitmapLevelSize* sizes, int count,
                 bool scaleUpperLevels, unsigned char* baseBlock, unsigned char* upperBlock,
                 const LevelUser& useLevel)
{
    if (count < 1)
        return;
    const bool keepsPicture = ScaleKeepsPicture(width, height, sizes[0].width, sizes[0].height);
    // Levels from 2 on, when all regular (a power-of-two picture's are), are
    // made together in one pass, packed one after the other in the base block,
    // which level 0 no longer needs by then.
    bool together = upperBlock != nullptr && scaleUpperLevels && count > 3;
    unsigned char* packed[maxBitmapLevels] = {};
    size_t offset = 0;
    for (int level = 2; together && level < count; ++level) {
        try {
            together = IsRegularLevel(width, height, sizes[level].width, sizes[level].height);
        } catch (const std::bad_alloc&) {
            together = false;
        }
        packed[level] = baseBlock + offset;
        offset += static_cast<size_t>(sizes[level].width) * sizes[level].height * channels;
    }
    const auto block = [&](int level) {
        if (level == 0)
            return keepsPicture ? picture : baseBlock;
        if (together && level >= 2)
            return packed[level];
        return upperBlock != nullptr && level % 2 == 1 ? upperBlock : baseBlock;
    };
    const auto make = [&](int level) {
        if (level == 0 ? keepsPicture : !scaleUpperLevels)
            return;
        if (together && level >= 2) {
            if (level == 2)
                ScaleRegularLevels(picture, width, height, sizes + 2, count - 2, packed + 2);
            return;
        }
        ScaleRgbImage(picture, width, height, block(level), sizes[level].width, sizes[level].height);
    };
    // What to make while the level before is handed over. When level 0 is the
    // picture itself the base block is free from the start, so the levels
    // from 2 on are made together with level 1, while level 0 is uploaded.
    const bool early = together && keepsPicture;
    const auto makeNext = [&](int level) {
        if (early && level == 2)
            return;
        make(level);
        if (early && level == 1)
            make(2);
    };
    make(0);
    for (int level = 0; level < count; ++level) {
        std::thread next;
        if (upperBlock != nullptr && level + 1 < count) {
            try {
                next = std::thread(makeNext, level + 1);
            } catch (const std::system_error&) {
            }
        }
        useLevel(level, block(level));
        if (next.joinable())
            next.join();
        else if (level + 1 < count)
            makeNext(level + 1);
    }
}
