#pragma once
// The 30 speeds of the run: positions 1 to 20 run one statement per timer
// tick at a falling interval, 21 to 30 one to ten counted statements every
// millisecond. Up to FollowModeLimit the editor shows every call's line.
#include <array>

namespace Speed {

inline constexpr int Slowest = 1;
inline constexpr int Fastest = 30;
// Timer interval in ms for the positions 1 to 20.
inline constexpr std::array<int, 20> Intervals = {2000, 1000, 900, 800, 700, 600, 500, 400, 300, 200,
                                                  100,  50,   40,  30,  20,  10,  5,   4,   3,   2};
inline constexpr int FollowModeLimit = 14;  // positions up to this show every call
// Calls of the interpreter per tick at the positions that do not follow
// every call.
inline constexpr int CallsPerTick = 100;

struct TTick {
    int IntervalMs = 1;
    int StepsPerTick = 1;         // counted statements per tick
    bool FollowEachStep = false;  // one call per tick, its line shown
};

// Positions outside 1 to 30 count as the nearest of them.
constexpr TTick Of(int position) {
    if (position < Slowest) position = Slowest;
    if (position > Fastest) position = Fastest;
    TTick tick;
    if (position <= static_cast<int>(Intervals.size())) {
        tick.IntervalMs = Intervals[static_cast<std::size_t>(position - 1)];
    } else {
        tick.StepsPerTick = position - static_cast<int>(Intervals.size());
    }
    tick.FollowEachStep = position <= FollowModeLimit;
    return tick;
}

}  // namespace Speed
