#pragma once
#include <string>
#include <vector>

// The events of a playback simulation: what a user does to the media player and to the
// plug-in, in order. Written as "play; wait 12; pause" or one per line; '#' starts a comment.
struct SimEvent {
    enum Kind {
        kPlay,
        kPause,
        kStop,
        kSeek,        // seconds: the new position
        kRate,        // value: the playback rate
        kWait,        // ticks: that many 100 ms timer ticks
        kPreview,     // pattern, level
        kPreviewOff,
        kAdd,         // time (ten-thousandths), pattern, level
        kRemove,      // time (ten-thousandths)
        kDeleteAll,
        kLoad,        // path
        kUnplug,
        kReplug,
    };

    Kind kind = kPlay;
    double value = 0.0;
    long long ticks = 0;
    int time = 0;
    int pattern = 0;
    int level = 0;
    std::string path;
    std::string text; // the event as written, for messages
};

// Appends the events of text (items separated by ';' or line ends). False, with error
// naming the offending item, on the first item that is not a well-formed event; events
// parsed before it stay appended.
bool ParseSimEvents(const std::string& text, std::vector<SimEvent>& events, std::string& error);
