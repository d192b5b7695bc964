#pragma once

// The wavetable readers and the noise generator, written once over a family
// of vectors wider than four lanes, for the translation units that
// instantiate them with their own family and instruction set. Every sample
// comes from the same table values through the same operations in the same
// order as in the four-lane kernels, so the samples are the same bit for
// bit. Everything here lies in an anonymous namespace on purpose: each unit
// keeps its own copies, built for its own instruction set.
//
// A family F holds the types Float and Int of F::kLanes lanes and, for them:
// set1, seti, laneNumbers, add, sub, mul, toFloat, addInt, subInt, andInt,
// orInt, shiftRight16, mulLow, load, store, loadInt, storeInt; row (four
// table samples from each of the starts r, r + 4, ..., one 128-bit lane
// each), interleaveLow, interleaveHigh, lowPairs and highPairs (the
// four-lane shuffles within each 128-bit lane); for the noise fromCarry,
// carried and toCarry. A family whose kWindows is true reads groups that fit
// from windows as well, and holds windowPoints (the four points of each lane
// from the F::kWindowReach table samples at a start, at each lane's position
// relative to it, at most F::kWindowSpan), windowDifferences (the same from
// the differences of two such stretches) and halves (the lower half of the
// lanes from one vector, the upper from another) where kTwoWindows lets a
// group read from two windows. Otherwise every group reads rows.

#include "simd/OscillatorKernels.h"
#include "simd/NoiseTerms.h"

#include <cstdint>

namespace
{
template <class F>
struct Kernels
{
    using Float = typename F::Float;
    using Int = typename F::Int;
    static constexpr int kLanes = F::kLanes;

    struct CubicConstants
    {
        Float half, oneAndHalf, scale;
        Int mask, low, laneSteps, advance;
    };

    static CubicConstants cubicConstants(const float* constants, std::uint32_t step, std::uint32_t indexMask)
    {
        CubicConstants k;
        k.half = F::set1(constants[0]);
        k.oneAndHalf = F::set1(constants[4]);
        k.scale = F::set1(constants[8]);
        k.mask = F::seti(indexMask);
        k.low = F::seti(0xFFFFu);
        k.laneSteps = F::mulLow(F::seti(step), F::laneNumbers());
        k.advance = F::seti(kLanes * step);
        return k;
    }

    // The four-lane kernels' cubic, lane for lane.
    static inline Float cubic(Float y0, Float y1, Float y2, Float y3, Float f, const CubicConstants& k)
    {
        Float c = F::mul(k.half, F::sub(y2, y0));
        Float a = F::add(F::mul(k.oneAndHalf, F::sub(y1, y2)), F::mul(k.half, F::sub(y3, y0)));
        Float b = F::sub(F::add(F::sub(y0, y1), c), a);
        Float r = F::add(F::mul(a, f), b);
        r = F::add(F::mul(r, f), c);
        return F::add(F::mul(r, f), y1);
    }

    static inline Float fraction(Int phases, const CubicConstants& k)
    {
        return F::mul(F::toFloat(F::andInt(phases, k.low)), k.scale);
    }

    // The four points of each lane's cubic.
    struct Points
    {
        Float y0, y1, y2, y3;
    };

    // Whether a window from `from` serves the lanes whose first points lie
    // up to `to`, within the table and its 4 guard samples.
    static inline bool fits(std::uint32_t from, std::uint32_t to, std::uint32_t indexMask)
    {
        return to - from <= F::kWindowSpan && from + F::kWindowReach <= indexMask + 5;
    }

    static inline Int relativeTo(Int index, std::uint32_t first)
    {
        return F::subInt(index, F::seti(first));
    }

    static inline Points windowPoints(const float* table, std::uint32_t first, Int index)
    {
        Points p;
        F::windowPoints(table + first, relativeTo(index, first), p.y0, p.y1, p.y2, p.y3);
        return p;
    }

    // The pulse reader's differences: where both of its reads come from
    // windows, lane for lane at the same positions in them, the difference
    // of the windows holds the differences of the points.
    static inline Points windowDifferences(const float* table, std::uint32_t first, std::uint32_t otherFirst,
                                           Int index)
    {
        Points p;
        F::windowDifferences(table + first, table + otherFirst, relativeTo(index, first), p.y0, p.y1, p.y2, p.y3);
        return p;
    }

    // The lower half of the lanes from low, the upper half from high.
    static inline Points halves(const Points& low, const Points& high)
    {
        return {F::halves(low.y0, high.y0), F::halves(low.y1, high.y1), F::halves(low.y2, high.y2),
                F::halves(low.y3, high.y3)};
    }

    // Anywhere else: the four-lane kernels' row loads and transposes, four
    // rows to a 128-bit lane.
    static inline Points transposed(const Float* rows)
    {
        const Float t0 = F::interleaveLow(rows[0], rows[1]);
        const Float t1 = F::interleaveLow(rows[2], rows[3]);
        const Float t2 = F::interleaveHigh(rows[0], rows[1]);
        const Float t3 = F::interleaveHigh(rows[2], rows[3]);
        return {F::lowPairs(t0, t1), F::highPairs(t0, t1), F::lowPairs(t2, t3), F::highPairs(t2, t3)};
    }

    static inline Points rowPoints(const float* table, const std::uint32_t* at)
    {
        Float rows[4];
        for (int r = 0; r < 4; ++r)
            rows[r] = F::row(table, at, r); // lane q then transposes to samples 4q..4q+3
        return transposed(rows);
    }

    static inline Points rowPoints(const float* table, Int index)
    {
        std::uint32_t at[kLanes];
        F::storeInt(at, index);
        return rowPoints(table, at);
    }

    // The pulse reader's rows: the differences of the rows at `at` and of
    // those at `otherAt` in `other`, lane for lane, then transposed.
    static inline Points rowDifferences(const float* table, const std::uint32_t* at, const float* other,
                                        const std::uint32_t* otherAt)
    {
        Float rows[4];
        for (int r = 0; r < 4; ++r)
            rows[r] = F::sub(F::row(table, at, r), F::row(other, otherAt, r));
        return transposed(rows);
    }

    // Each lane's index, worked out from the phase in general registers:
    // cheaper than taking it out of a vector, which costs a store and
    // reloads or a shuffle for every lane. Every lane adds its own offset
    // (j steps, from laneOffsets) to the group's phase: lanes that each add
    // one step to the last would make a chain as long as the group.
    static inline void indices(std::uint32_t phase, const std::uint32_t* offsets, std::uint32_t indexMask,
                               std::uint32_t* at)
    {
        for (int j = 0; j < kLanes; ++j)
            at[j] = ((phase + offsets[j]) >> 16) & indexMask;
    }

    struct LaneOffsets
    {
        alignas(64) std::uint32_t value[kLanes];
    };

    // Written out of the vector, so that the compiler keeps them apart.
    static inline LaneOffsets laneOffsets(const CubicConstants& k)
    {
        LaneOffsets offsets;
        F::storeInt(offsets.value, k.laneSteps);
        return offsets;
    }

    // The table positions of a group's first, middle and last lanes,
    // unwrapped. The index is the phase's upper 16 bits under the mask, so
    // it wraps at the smaller of the table size and 2^16: the index range.
    struct Span
    {
        std::uint32_t first, middle, last;
    };

    static inline std::uint32_t indexRange(std::uint32_t indexMask)
    {
        return indexMask & 0xFFFFu;
    }

    static inline Span span(std::uint32_t phase, std::uint32_t step, std::uint32_t range)
    {
        const std::uint64_t position = phase & ((range << 16) | 0xFFFFu);
        const std::uint64_t middle = position + static_cast<std::uint64_t>(kLanes / 2) * step;
        const std::uint64_t last = position + static_cast<std::uint64_t>(kLanes - 1) * step;
        return {static_cast<std::uint32_t>(position >> 16), static_cast<std::uint32_t>(middle >> 16),
                static_cast<std::uint32_t>(last >> 16)};
    }

    // The same span moved to another start, as the pulse reader's other
    // points.
    static inline Span moved(const Span& s, std::uint32_t first)
    {
        return {first, first + (s.middle - s.first), first + (s.last - s.first)};
    }

    // A group that does not wrap reads from one window, or its two halves
    // from one each; any other from rows.
    enum class Reach
    {
        OneWindow,
        TwoWindows,
        Rows,
    };

    static inline Reach reach(const Span& s, bool wraps, std::uint32_t indexMask)
    {
        if (!wraps)
        {
            if (fits(s.first, s.last, indexMask))
                return Reach::OneWindow;
            if (F::kTwoWindows && fits(s.first, s.middle, indexMask) && fits(s.middle, s.last, indexMask))
                return Reach::TwoWindows;
        }
        return Reach::Rows;
    }

    static inline Points groupPoints(const float* table, const Span& s, Reach how, Int index)
    {
        switch (how)
        {
        case Reach::OneWindow:
            return windowPoints(table, s.first, index);
        case Reach::TwoWindows:
            return halves(windowPoints(table, s.first, index), windowPoints(table, s.middle, index));
        default:
            return rowPoints(table, index);
        }
    }

    // The pulse reader's differences of the points of span s and of span t,
    // which lies the pulse offset further on.
    static inline Points differencePoints(const float* table, const Span& s, Reach sHow, const Span& t, Reach tHow,
                                          Int index, Int other)
    {
        if (sHow == tHow && sHow == Reach::OneWindow)
            return windowDifferences(table, s.first, t.first, index);
        if (sHow == tHow && sHow == Reach::TwoWindows)
            return halves(windowDifferences(table, s.first, t.first, index),
                          windowDifferences(table, s.middle, t.middle, index));
        const Points y = groupPoints(table, s, sHow, index);
        const Points z = groupPoints(table, t, tHow, other);
        return {F::sub(y.y0, z.y0), F::sub(y.y1, z.y1), F::sub(y.y2, z.y2), F::sub(y.y3, z.y3)};
    }

    // Whether every one of a call's groups reads from one window of its own
    // first point, without wrapping: then the loop needs no tests. first
    // and last are the table positions of the call's first and last groups'
    // first points.
    static inline bool steady(std::uint32_t phase, std::uint32_t step, std::uint32_t range, std::uint32_t indexMask,
                              std::int64_t groups, std::uint32_t& first, std::uint32_t& last)
    {
        const std::uint64_t position = phase & ((range << 16) | 0xFFFFu);
        const std::uint64_t groupStep = static_cast<std::uint64_t>(kLanes) * step;
        const std::uint64_t lastGroup = position + static_cast<std::uint64_t>(groups - 1) * groupStep;
        first = static_cast<std::uint32_t>(position >> 16);
        last = static_cast<std::uint32_t>(lastGroup >> 16);
        const std::uint64_t lanesSpan = static_cast<std::uint64_t>(kLanes - 1) * step + 0xFFFFu;
        return groups > 0 && ((lastGroup + static_cast<std::uint64_t>(kLanes - 1) * step) >> 16) <= range &&
               (lanesSpan >> 16) <= F::kWindowSpan && last + F::kWindowReach <= indexMask + 5;
    }

    // Groups whose position lies below this read from one window without
    // wrapping, whatever the position's fraction: a call that wraps
    // somewhere sends only its groups near the wrap the long way.
    static inline std::uint64_t oneWindowBelow(std::uint32_t step, std::uint32_t range, std::uint32_t indexMask)
    {
        const std::uint64_t lanes = static_cast<std::uint64_t>(kLanes - 1) * step;
        if (((lanes + 0xFFFFu) >> 16) > F::kWindowSpan || indexMask + 5 < F::kWindowReach)
            return 0;
        const std::uint64_t windowEnd = static_cast<std::uint64_t>(indexMask + 6 - F::kWindowReach) << 16;
        const std::uint64_t wrapEnd = static_cast<std::uint64_t>(range + 1) << 16;
        const std::uint64_t noWrapEnd = wrapEnd > lanes ? wrapEnd - lanes : 0;
        return windowEnd < noWrapEnd ? windowEnd : noWrapEnd;
    }

    // fourLaneVectors as the four-lane readers count them (one less for the
    // plain reader) makes whole groups of kLanes samples.
    static std::uint32_t read(const float* constants, const float* table, float* output, std::int64_t groups,
                              std::uint32_t phase, std::uint32_t step, std::uint32_t indexMask)
    {
        if constexpr (F::kWindows)
            return readWindows(constants, table, output, groups, phase, step, indexMask);
        else
            return readRows(constants, table, output, groups, phase, step, indexMask);
    }

    static std::uint32_t readPulse(const float* constants, const float* table, float* output, std::int64_t groups,
                                   std::uint32_t phase, std::uint32_t step, std::uint32_t indexMask,
                                   std::uint32_t offset)
    {
        if constexpr (F::kWindows)
            return readPulseWindows(constants, table, output, groups, phase, step, indexMask, offset);
        else
            return readPulseRows(constants, table, output, groups, phase, step, indexMask, offset);
    }

    static std::uint32_t readWindows(const float* constants, const float* table, float* output,
                                     std::int64_t groups, std::uint32_t phase, std::uint32_t step,
                                     std::uint32_t indexMask)
    {
        const CubicConstants k = cubicConstants(constants, step, indexMask);
        const std::uint32_t range = indexRange(indexMask);
        Int phases = F::addInt(F::seti(phase), k.laneSteps);
        std::uint32_t first, last;
        if (steady(phase, step, range, indexMask, groups, first, last))
        {
            std::uint32_t position = phase & ((range << 16) | 0xFFFFu);
            for (std::int64_t n = groups; n > 0; --n)
            {
                const Int index = F::andInt(F::shiftRight16(phases), k.mask);
                const Points y = windowPoints(table, position >> 16, index);
                F::store(output, cubic(y.y0, y.y1, y.y2, y.y3, fraction(phases, k), k));
                output += kLanes;
                phases = F::addInt(phases, k.advance);
                position += kLanes * step;
            }
            return phase + static_cast<std::uint32_t>(groups) * kLanes * step;
        }
        const std::uint32_t positionMask = (range << 16) | 0xFFFFu;
        const std::uint64_t below = oneWindowBelow(step, range, indexMask);
        for (std::int64_t n = groups; n > 0; --n)
        {
            const Int index = F::andInt(F::shiftRight16(phases), k.mask);
            const std::uint32_t position = phase & positionMask;
            Points y;
            if (position < below)
            {
                y = windowPoints(table, position >> 16, index);
            }
            else
            {
                const Span s = span(phase, step, range);
                y = groupPoints(table, s, reach(s, s.last > range, indexMask), index);
            }
            F::store(output, cubic(y.y0, y.y1, y.y2, y.y3, fraction(phases, k), k));
            output += kLanes;
            phases = F::addInt(phases, k.advance);
            phase += kLanes * step;
        }
        return phase;
    }

    static std::uint32_t readPulseWindows(const float* constants, const float* table, float* output,
                                          std::int64_t groups, std::uint32_t phase, std::uint32_t step,
                                          std::uint32_t indexMask, std::uint32_t offset)
    {
        const CubicConstants k = cubicConstants(constants, step, indexMask);
        const std::uint32_t range = indexRange(indexMask);
        const Int shift = F::seti(offset);
        Int phases = F::addInt(F::seti(phase), k.laneSteps);
        std::uint32_t first, last;
        if (steady(phase, step, range, indexMask, groups, first, last))
        {
            // The other points then follow the same steps from their own
            // start, itself wrapped at the table size.
            const std::uint32_t otherFirst = (first + offset) & indexMask;
            if (otherFirst + (last - first) + F::kWindowReach <= indexMask + 5)
            {
                std::uint32_t position = phase & ((range << 16) | 0xFFFFu);
                const std::uint32_t apart = otherFirst - first;
                for (std::int64_t n = groups; n > 0; --n)
                {
                    const Int index = F::andInt(F::shiftRight16(phases), k.mask);
                    const std::uint32_t at = position >> 16;
                    const Points d = windowDifferences(table, at, at + apart, index);
                    F::store(output, cubic(d.y0, d.y1, d.y2, d.y3, fraction(phases, k), k));
                    output += kLanes;
                    phases = F::addInt(phases, k.advance);
                    position += kLanes * step;
                }
                return phase + static_cast<std::uint32_t>(groups) * kLanes * step;
            }
        }
        const std::uint32_t positionMask = (range << 16) | 0xFFFFu;
        const std::uint64_t below = oneWindowBelow(step, range, indexMask);
        for (std::int64_t n = groups; n > 0; --n)
        {
            const Int index = F::andInt(F::shiftRight16(phases), k.mask);
            const std::uint32_t position = phase & positionMask;
            const std::uint32_t at = position >> 16;
            const std::uint32_t otherAt = (at + offset) & indexMask;
            Points d;
            if (position < below && otherAt + F::kWindowSpan <= indexMask && otherAt + F::kWindowReach <= indexMask + 5)
            {
                d = windowDifferences(table, at, otherAt, index);
            }
            else
            {
                const Int other = F::andInt(F::addInt(index, shift), k.mask);
                const Span s = span(phase, step, range);
                const bool wraps = s.last > range;
                // While the group does not wrap, the other points follow the
                // same steps from their own start, itself wrapped at the
                // table size.
                const Span t = moved(s, otherAt);
                d = differencePoints(table, s, reach(s, wraps, indexMask), t,
                                     reach(t, wraps || t.last > indexMask, indexMask), index, other);
            }
            F::store(output, cubic(d.y0, d.y1, d.y2, d.y3, fraction(phases, k), k));
            output += kLanes;
            phases = F::addInt(phases, k.advance);
            phase += kLanes * step;
        }
        return phase;
    }

    static std::uint32_t readRows(const float* constants, const float* table, float* output, std::int64_t groups,
                                  std::uint32_t phase, std::uint32_t step, std::uint32_t indexMask)
    {
        const CubicConstants k = cubicConstants(constants, step, indexMask);
        const LaneOffsets offsets = laneOffsets(k);
        Int phases = F::addInt(F::seti(phase), k.laneSteps);
        const std::uint32_t range = indexRange(indexMask);
        const std::uint64_t position = phase & ((range << 16) | 0xFFFFu);
        const std::uint64_t end = position + static_cast<std::uint64_t>(groups * kLanes - 1) * step;
        if (groups > 0 && (end >> 16) <= range)
        {
            // No index wraps: all lie at their offsets from the first, and
            // none needs the mask.
            const float* first = table + (position >> 16);
            std::uint32_t from = static_cast<std::uint32_t>(position) & 0xFFFFu;
            for (std::int64_t n = groups; n > 0; --n)
            {
                std::uint32_t at[kLanes];
                for (int j = 0; j < kLanes; ++j)
                    at[j] = (from + offsets.value[j]) >> 16;
                const Points y = rowPoints(first, at);
                F::store(output, cubic(y.y0, y.y1, y.y2, y.y3, fraction(phases, k), k));
                output += kLanes;
                phases = F::addInt(phases, k.advance);
                from += kLanes * step;
            }
            return phase + static_cast<std::uint32_t>(groups) * kLanes * step;
        }
        for (std::int64_t n = groups; n > 0; --n)
        {
            std::uint32_t at[kLanes];
            indices(phase, offsets.value, indexMask, at);
            const Points y = rowPoints(table, at);
            F::store(output, cubic(y.y0, y.y1, y.y2, y.y3, fraction(phases, k), k));
            output += kLanes;
            phases = F::addInt(phases, k.advance);
            phase += kLanes * step;
        }
        return phase;
    }

    static std::uint32_t readPulseRows(const float* constants, const float* table, float* output,
                                       std::int64_t groups, std::uint32_t phase, std::uint32_t step,
                                       std::uint32_t indexMask, std::uint32_t offset)
    {
        const CubicConstants k = cubicConstants(constants, step, indexMask);
        const LaneOffsets offsets = laneOffsets(k);
        Int phases = F::addInt(F::seti(phase), k.laneSteps);
        const std::uint32_t range = indexRange(indexMask);
        const std::uint64_t position = phase & ((range << 16) | 0xFFFFu);
        const std::uint32_t first = static_cast<std::uint32_t>(position >> 16);
        const std::uint64_t end = position + static_cast<std::uint64_t>(groups * kLanes - 1) * step;
        const std::uint32_t otherFirst = (first + offset) & indexMask;
        if (groups > 0 && (end >> 16) <= range && otherFirst + ((end >> 16) - first) <= indexMask)
        {
            // Neither read wraps: both sets of points lie at the same
            // indices from their first, and no index needs the mask.
            std::uint32_t from = static_cast<std::uint32_t>(position) & 0xFFFFu;
            for (std::int64_t n = groups; n > 0; --n)
            {
                std::uint32_t at[kLanes];
                for (int j = 0; j < kLanes; ++j)
                    at[j] = (from + offsets.value[j]) >> 16;
                const Points d = rowDifferences(table + first, at, table + otherFirst, at);
                F::store(output, cubic(d.y0, d.y1, d.y2, d.y3, fraction(phases, k), k));
                output += kLanes;
                phases = F::addInt(phases, k.advance);
                from += kLanes * step;
            }
            return phase + static_cast<std::uint32_t>(groups) * kLanes * step;
        }
        for (std::int64_t n = groups; n > 0; --n)
        {
            std::uint32_t at[kLanes], otherAt[kLanes];
            indices(phase, offsets.value, indexMask, at);
            for (int j = 0; j < kLanes; ++j)
                otherAt[j] = (at[j] + offset) & indexMask;
            const Points d = rowDifferences(table, at, table, otherAt);
            F::store(output, cubic(d.y0, d.y1, d.y2, d.y3, fraction(phases, k), k));
            output += kLanes;
            phases = F::addInt(phases, k.advance);
            phase += kLanes * step;
        }
        return phase;
    }

    static std::uint32_t noise(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state)
    {
        const Int bits = F::seti(kNoiseBits);
        const Int exponent = F::seti(kNoiseExponent);
        // The carried four samples sit in the top lanes of the previous
        // group.
        Int previous = F::fromCarry(carry);

        float* write = output + 64 * firstTick;
        for (std::int64_t tick = endTick - firstTick; tick > 0; --tick)
        {
            // Every group of the tick from the tick's own state: the groups
            // do not wait for each other's multiplies.
            const Int x0 = F::seti(state);
            for (int n = 0; n < 64; n += kLanes)
            {
                const Int x = F::addInt(F::mulLow(x0, F::loadInt(kNoisePowers.value + n)),
                                        F::loadInt(kNoiseSums.value + n));
                const Int samples = F::orInt(F::andInt(x, bits), exponent);
                F::storeInt(write, F::carried(samples, previous));
                write += kLanes;
                previous = samples;
            }
            state = state * kNoisePowers.next + kNoiseSums.next;
        }
        F::toCarry(carry, previous);
        return state;
    }
};
} // namespace
