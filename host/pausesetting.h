#pragma once

// The hosting player's "Time Between Rounds": the seconds the host waits
// after posting a frame's scores before it deals the next one. The host
// asks each time it posts, so a change takes effect at the next frame.
class PauseSetting
{
public:
    virtual ~PauseSetting() = default;
    // 5, 10 or 15.
    virtual int pauseBetweenFrames() const = 0;
};
