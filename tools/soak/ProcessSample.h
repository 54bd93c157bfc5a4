#pragma once
// What a long-lived process holds, counted in ways that also work under Wine, whose per-process
// counts of GDI and USER objects and of handles answer 0: windows of this process (every USER
// object the plug-in makes is one), the GDI objects and device contexts this program's own
// code made and has not given back (its imports of the creating and deleting functions are
// counted), handles found by asking the system about every handle value, threads from a
// snapshot, and the memory system's bytes in use.
struct ProcessSample {
    long gdi, user, handles, threads, bytes;
};

// Starts counting GDI objects; false when this program imports none of those functions.
bool CountGdiObjects();
ProcessSample TakeProcessSample();
