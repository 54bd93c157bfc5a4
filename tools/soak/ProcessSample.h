#pragma once
// What a long-lived process holds, counted in ways that also work under Wine, whose counts of
// handles answer 0: the GDI objects and windows as the tests count them, handles found by
// asking the system about every handle value, threads from a snapshot, and the memory
// system's bytes in use.
struct ProcessSample {
    long gdi, user, handles, threads, bytes;
};

ProcessSample TakeProcessSample();
