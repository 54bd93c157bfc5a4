#pragma once
#include "base/Win32.h"

// The player's play states and open states, as its events and get_playState report them.
enum PlayState : LONG {
    kPlayUndefined = 0,
    kPlayStopped = 1,
    kPlayPaused = 2,
    kPlayPlaying = 3,
    kPlayScanForward = 4,
    kPlayScanReverse = 5,
    kPlayBuffering = 6,
    kPlayWaiting = 7,
    kPlayEnded = 8,
    kPlayTransitioning = 9,
    kPlayReady = 10,
    kPlayReconnecting = 11,
    kPlayLast = 12,
};
constexpr LONG kOpenMediaChanging = 8;
constexpr LONG kOpenMediaOpen = 13;

// Paused, playing or scanning: the states in which the position moves or can be moved.
inline bool IsActivePlayState(LONG state)
{
    return state >= kPlayPaused && state <= kPlayScanReverse;
}
