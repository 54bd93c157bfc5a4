#include "sim/SimEvents.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "sheet/SheetTime.h"

namespace {

// A wait longer than this many seconds is a typing slip, not a session.
constexpr double kMaxWaitSeconds = 1e6;
// Command times must stay inside the 32-bit ten-thousandths range.
constexpr double kMaxCommandSeconds = 214748.0;

std::string Trim(const std::string& s)
{
    const char* space = " \t\r\n\v\f";
    const size_t first = s.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

bool ParseNumber(const std::string& token, double& value)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(token.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseInt(const std::string& token, int& value)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

// The rest of an item after its first word, spaces included.
std::string RestAfterWord(const std::string& item, const std::string& word)
{
    return Trim(item.substr(item.find(word) + word.size()));
}

// Words of a text; "double quotes" keep spaces inside one word.
bool SplitQuoted(const std::string& text, std::vector<std::string>& words)
{
    words.clear();
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size())
            break;
        std::string word;
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            if (close == std::string::npos)
                return false;
            word = text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        words.push_back(word);
    }
    return true;
}

bool ParsePlayerItem(const std::string& item, const std::string& word, std::vector<std::string> args,
                     SimEvent& e, std::string& why)
{
    // A click or a drag may name the modifier keys held first.
    if ((word == "click" || word == "rclick" || word == "drag") && !args.empty() && IsModifierWord(args[0])) {
        e.path = args[0];
        args.erase(args.begin());
    }
    auto want = [&](size_t n) {
        if (args.size() == n)
            return true;
        why = "'" + word + "' takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s");
        return false;
    };
    auto numbers = [&](size_t n, bool signedLast) {
        if (!want(n))
            return false;
        for (size_t i = 0; i < n; ++i) {
            int value = 0;
            if (!ParseInt(args[i], value) || (value < 0 && !(signedLast && i == n - 1)) || value > 100000) {
                why = "'" + args[i] + "' is not a pixel or count";
                return false;
            }
            e.numbers.push_back(value);
        }
        return true;
    };
    auto rest = [&](const char* what) {
        e.path = RestAfterWord(item, word);
        if (!e.path.empty())
            return true;
        why = "'" + word + "' takes " + what;
        return false;
    };
    if (word == "open") {
        e.kind = SimEvent::kOpen;
        if (args.size() < 2) {
            why = "'open' takes a name and a duration";
            return false;
        }
        // The name may hold spaces; the duration is the last word.
        if (!ParseNumber(args.back(), e.value) || !(e.value > 0.0) || e.value > 200000.0) {
            why = "'" + args.back() + "' is not a duration in seconds above 0 and up to 200000";
            return false;
        }
        const std::string all = RestAfterWord(item, word);
        e.path = Trim(all.substr(0, all.rfind(args.back())));
        return true;
    }
    if (word == "close" || word == "create" || word == "dump") {
        e.kind = word == "close" ? SimEvent::kClose : word == "create" ? SimEvent::kCreate : SimEvent::kDump;
        return want(0);
    }
    if (word == "press") {
        e.kind = SimEvent::kPress;
        return numbers(1, false);
    }
    if (word == "click" || word == "rclick" || word == "move") {
        e.kind = word == "click" ? SimEvent::kClick : word == "rclick" ? SimEvent::kRightClick : SimEvent::kMove;
        return numbers(2, false);
    }
    if (word == "drag") {
        e.kind = SimEvent::kDrag;
        return numbers(4, false);
    }
    if (word == "wheel") {
        e.kind = SimEvent::kWheel;
        return numbers(3, true);
    }
    if (word == "type") {
        e.kind = SimEvent::kType;
        return rest("a text");
    }
    if (word == "key") {
        e.kind = SimEvent::kKey;
        return want(1) && rest("a key name");
    }
    if (word == "answer") {
        e.kind = SimEvent::kAnswer;
        return rest("yes, no, ok, cancel or a path");
    }
    if (word == "shot") {
        e.kind = SimEvent::kShot;
        return rest("a picture file");
    }
    if (word == "clip") {
        e.kind = SimEvent::kClip;
        if (!rest("a text"))
            return false;
        std::string text;
        for (size_t i = 0; i < e.path.size(); ++i) {
            if (e.path[i] == '\\' && i + 1 < e.path.size() && (e.path[i + 1] == 'n' || e.path[i + 1] == 't')) {
                text += e.path[++i] == 'n' ? "\r\n" : "\t";
                continue;
            }
            text += e.path[i];
        }
        e.path = text;
        return true;
    }
    if (word == "drop") {
        e.kind = SimEvent::kDrop;
        if (!SplitQuoted(RestAfterWord(item, word), e.paths) || e.paths.empty()) {
            why = "'drop' takes one or more paths (\"quoted\" when they hold spaces)";
            return false;
        }
        return true;
    }
    why = "unknown event '" + word + "'";
    return false;
}

} // namespace

bool IsModifierWord(const std::string& word)
{
    size_t start = 0;
    while (start <= word.size()) {
        size_t plus = word.find('+', start);
        if (plus == std::string::npos)
            plus = word.size();
        const std::string part = word.substr(start, plus - start);
        if (part != "shift" && part != "ctrl" && part != "control" && part != "alt")
            return false;
        start = plus + 1;
    }
    return !word.empty();
}

namespace {

bool ParseItem(const std::string& item, SimEvent& e, std::string& why, bool playerEvents)
{
    std::istringstream in(item);
    std::string word;
    in >> word;
    std::vector<std::string> args;
    for (std::string a; in >> a;)
        args.push_back(a);
    e.text = item;

    auto want = [&](size_t n) {
        if (args.size() == n)
            return true;
        why = "'" + word + "' takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s");
        return false;
    };
    auto seconds = [&](const std::string& token, double max, double& value) {
        if (ParseNumber(token, value) && value >= 0.0 && value <= max)
            return true;
        why = "'" + token + "' is not a number of seconds from 0 to " + std::to_string(static_cast<long long>(max));
        return false;
    };
    auto integer = [&](const std::string& token, int& value) {
        if (ParseInt(token, value))
            return true;
        why = "'" + token + "' is not a whole number";
        return false;
    };

    if (word == "play" || word == "pause" || word == "stop" || word == "deleteall" ||
        word == "unplug" || word == "replug") {
        if (!want(0))
            return false;
        e.kind = word == "play"    ? SimEvent::kPlay
                 : word == "pause" ? SimEvent::kPause
                 : word == "stop"  ? SimEvent::kStop
                 : word == "deleteall" ? SimEvent::kDeleteAll
                 : word == "unplug"    ? SimEvent::kUnplug
                                       : SimEvent::kReplug;
        return true;
    }
    if (word == "fault") {
        e.kind = SimEvent::kFault;
        e.ticks = -1;
        const bool counted = !args.empty() && (args[0] == "write" || args[0] == "timeout");
        if (args.empty() || (args[0] != "none" && args[0] != "open" && !counted) || args.size() > (counted ? 2u : 1u)) {
            why = "'fault' takes none, open, write [N] or timeout [N]";
            return false;
        }
        e.path = args[0];
        int count = 0;
        if (args.size() == 2 && !(integer(args[1], count) && count > 0)) {
            why = "'" + args[1] + "' is not a number of writes above 0";
            return false;
        }
        if (count > 0)
            e.ticks = count;
        return true;
    }
    if (word == "seek") {
        e.kind = SimEvent::kSeek;
        return want(1) && seconds(args[0], kMaxCommandSeconds, e.value);
    }
    if (word == "rate") {
        e.kind = SimEvent::kRate;
        if (!want(1))
            return false;
        if (ParseNumber(args[0], e.value) && e.value > 0.0 && e.value <= 100.0)
            return true;
        why = "'" + args[0] + "' is not a rate above 0 and up to 100";
        return false;
    }
    if (word == "wait") {
        e.kind = SimEvent::kWait;
        double s = 0.0;
        if (!want(1) || !seconds(args[0], kMaxWaitSeconds, s))
            return false;
        e.value = s;
        e.ticks = std::llround(s * 10.0);
        return true;
    }
    if (word == "preview") {
        if (args.size() == 1 && args[0] == "off") {
            e.kind = SimEvent::kPreviewOff;
            return true;
        }
        e.kind = SimEvent::kPreview;
        if (args.size() != 2) {
            why = "'preview' takes a pattern and a level, or 'off'";
            return false;
        }
        return integer(args[0], e.pattern) && integer(args[1], e.level);
    }
    // A command time, converted as the editor converts a position.
    auto commandTime = [&](const std::string& token) {
        if (!seconds(token, kMaxCommandSeconds, e.value))
            return false;
        e.time = CommandTimeOf(e.value);
        return true;
    };
    if (word == "add") {
        e.kind = SimEvent::kAdd;
        return want(3) && commandTime(args[0]) && integer(args[1], e.pattern) && integer(args[2], e.level);
    }
    if (word == "remove") {
        e.kind = SimEvent::kRemove;
        return want(1) && commandTime(args[0]);
    }
    if (word == "load") {
        e.kind = SimEvent::kLoad;
        // The path is the rest of the item, spaces included.
        e.path = RestAfterWord(item, "load");
        if (!e.path.empty())
            return true;
        why = "'load' takes a path";
        return false;
    }
    if (playerEvents)
        return ParsePlayerItem(item, word, args, e, why);
    why = "unknown event '" + word + "'";
    return false;
}

} // namespace

bool ParseSimEvents(const std::string& text, std::vector<SimEvent>& events, std::string& error, bool playerEvents)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t comment = line.find('#');
        if (comment != std::string::npos)
            line.erase(comment);
        std::istringstream items(line);
        for (std::string item; std::getline(items, item, ';');) {
            item = Trim(item);
            if (item.empty())
                continue;
            SimEvent e;
            std::string why;
            if (!ParseItem(item, e, why, playerEvents)) {
                error = "bad event '" + item + "': " + why;
                return false;
            }
            events.push_back(e);
        }
    }
    return true;
}
