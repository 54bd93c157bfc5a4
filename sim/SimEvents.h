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
        kFault,       // path: none, open, write or timeout; ticks: how many writes (-1: all)
        // The scripted player's own events: the player, the editor window and the user.
        kOpen,       // path: the medium's name and address; value: its duration
        kClose,      // the player asks the plug-in to destroy its window
        kCreate,     // ... and to create it again
        kPress,      // numbers[0]: a control identifier
        kClick,      // numbers: x, y in editor client pixels; path: modifiers held ("shift", "ctrl+alt"), or empty
        kRightClick, // numbers: x, y; path: modifiers
        kMove,       // numbers: x, y
        kDrag,       // numbers: x1, y1, x2, y2; path: modifiers
        kWheel,      // numbers: x, y, notches (negative: towards the user)
        kType,       // path: the text typed
        kKey,        // path: the key's name
        kDrop,       // paths: the files dropped on the editor
        kAnswer,     // path: yes, no, ok, cancel or a file path, for the next prompt
        kShot,       // path: the picture file (PNG or BMP)
        kDump,
        kClip,       // path: the text the clipboard holds from now on ("\n" a line end, "\t" a tab)
    };

    Kind kind = kPlay;
    double value = 0.0;
    long long ticks = 0;
    int time = 0;
    int pattern = 0;
    int level = 0;
    std::string path;
    std::vector<int> numbers;
    std::vector<std::string> paths;
    std::string text; // the event as written, for messages
};

// Whether a word names modifier keys: shift, ctrl (control) or alt, joined by '+'.
bool IsModifierWord(const std::string& word);

// Appends the events of text (items separated by ';' or line ends). False, with error
// naming the offending item, on the first item that is not a well-formed event; events
// parsed before it stay appended. The scripted player's own events are known only when
// playerEvents is set.
bool ParseSimEvents(const std::string& text, std::vector<SimEvent>& events, std::string& error,
                    bool playerEvents = false);
