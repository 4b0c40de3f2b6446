#pragma once
// Following a play, in two layers, apart from any screen or device.
// PlaybackFollower: where the follower of a whole-phrase playback has got
// to, in samples from the first sample of the phrase's "data" chunk, from
// the play positions the command device reports in milliseconds.
// HeardPosition: how much of a play has been heard, in microseconds, from
// the position a sound server reports; the command device's position is
// read from it.
#include <algorithm>
#include <cmath>
#include <cstdint>

// The follower never moves back, and a phrase counts as heard once the
// position comes within EndMarginMs of its end (a device that stops a
// little short of the last sample would otherwise never get there).
class PlaybackFollower
{
public:
    static constexpr double EndMarginMs = 5.0;

    // The stretch of samples newly heard: [From, To).
    struct Stretch
    {
        int32_t From = 0;
        int32_t To = 0;
    };

    void Start(int32_t phraseStart, int32_t phraseEnd, uint32_t samplesPerSec)
    {
        played = position = phraseStart;
        end = phraseEnd;
        rate = samplesPerSec;
    }

    // A reported position in milliseconds; what has been heard since the
    // last report.
    Stretch Advance(double milliseconds)
    {
        position = std::max(SaturatedInt32(milliseconds * rate / 1000.0), played);
        const Stretch heard{played, position};
        played = position;
        return heard;
    }

    // Whether more than the end margin of the phrase is still to be heard.
    bool PhraseLeft() const { return end - EndMarginMs * rate / 1000.0 > position; }
    int32_t Position() const { return position; }

private:
    static int32_t SaturatedInt32(double value)
    {
        if (!(value > -2147483648.0)) return INT32_MIN;
        if (!(value < 2147483647.0)) return INT32_MAX;
        return static_cast<int32_t>(std::nearbyint(value));
    }

    int32_t played = 0;
    int32_t position = 0;
    int32_t end = 0;
    uint32_t rate = 0;
};

// Some servers (PipeWire) report the position in steps of tens of
// milliseconds while the sound goes on evenly; others report it every
// millisecond and, when they stop reporting, have really stopped (filling
// their buffers at the start, say). Between two reports the position
// therefore follows the clock from the last one, but no further than the
// last report moved it (and never more than MaxFollowUs); it never goes back
// and never passes the end of the play. All times in microseconds.
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
    // How long the reported position has stood still at clock time nowUs:
    // since its last change, or since the first reading.
    int64_t UnchangedUs(int64_t nowUs) const { return seen ? nowUs - reportedAt : 0; }

private:
    int64_t duration = 0;
    int64_t heard = 0;
    int64_t reported = 0;
    int64_t reportedAt = 0;
    int64_t step = 0;
    bool seen = false;
};
