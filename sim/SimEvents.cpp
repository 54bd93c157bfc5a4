#include "sim/SimEvents.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "timesheet/CommandData.h"

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

bool ParseItem(const std::string& item, SimEvent& e, std::string& why)
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
        e.time = CommandTimeFromSeconds(e.value);
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
        e.path = Trim(item.substr(item.find("load") + 4));
        if (!e.path.empty())
            return true;
        why = "'load' takes a path";
        return false;
    }
    why = "unknown event '" + word + "'";
    return false;
}

} // namespace

bool ParseSimEvents(const std::string& text, std::vector<SimEvent>& events, std::string& error)
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
            if (!ParseItem(item, e, why)) {
                error = "bad event '" + item + "': " + why;
                return false;
            }
            events.push_back(e);
        }
    }
    return true;
}
