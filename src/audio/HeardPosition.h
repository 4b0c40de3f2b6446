#pragma once
// How much of a play has been heard, from the position a sound server
// reports. Some servers (PipeWire) report it in steps of tens of
// milliseconds while the sound goes on evenly; others report it every
// millisecond and, when they stop reporting, have really stopped (filling
// their buffers at the start, say). Between two reports the position
// therefore follows the clock from the last one, but no further than the
// last report moved it (and never more than MaxFollowUs); it never goes back
// and never passes the end of the play. All times in microseconds.
#include <algorithm>
#include <cstdint>

class HeardPosition
{
public:
    // More than the longest step seen on a PipeWire server (about 50 ms),
    // short enough that a server that has stopped is not followed far.
    static constexpr int64_t MaxFollowUs = 60000;

    void Restart(int64_t durationUs)
    {
        *this = HeardPosition{};
        duration = durationUs;
    }

    // A reading of the reported position at clock time nowUs; following
    // says whether the sound is playing (not starting, paused or draining).
    int64_t Update(int64_t reportedUs, int64_t nowUs, bool following)
    {
        if (reportedUs != reported || !seen) {
            step = reportedUs - reported;
            reported = reportedUs;
            reportedAt = nowUs;
            seen = true;
        }
        int64_t estimate = reported;
        // Before the first report the sound has not started: nothing to follow.
        if (following && reported > 0)
            estimate += std::clamp<int64_t>(std::min(nowUs - reportedAt, step), 0, MaxFollowUs);
        heard = std::clamp<int64_t>(estimate, heard, std::max(duration, heard));
        return heard;
    }

    int64_t Heard() const { return heard; }
    int64_t Reported() const { return reported; }

private:
    int64_t duration = 0;
    int64_t heard = 0;
    int64_t reported = 0;
    int64_t reportedAt = 0;
    int64_t step = 0;
    bool seen = false;
};
