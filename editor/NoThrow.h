#pragma once
#include "base/Win32.h"

// Nothing may leave a window procedure: the message loop it returns to is the player's, and
// an exception there (an allocation that failed) would take the player down. The message
// then ends with fallback instead.
template <class Body>
LRESULT NoThrow(LRESULT fallback, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
