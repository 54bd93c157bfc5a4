#pragma once
/* What the virtual Tervane device (a HID minidriver running in a Wine prefix) and the
 * programs that drive it agree on: its identity, where it reads its faults and where it keeps
 * its record. Plain C: the driver includes it too.
 *
 * Both live under the driver's service key, which stays when the device node is removed, so
 * the record of a session survives its unplugs:
 *   HKLM\System\CurrentControlSet\Services\TervaneHid\Parameters
 *       FailWrites  REG_DWORD  the next N writes fail at once (VT_EVERY_WRITE: every write)
 *       HoldWrites  REG_DWORD  the next N writes are held past any wait, then fail
 *   HKLM\System\CurrentControlSet\Services\TervaneHid\Record
 *       Count       REG_DWORD  entries written so far
 *       00000000... REG_BINARY one VtRecordEntry per write the device received, in order
 * The driver reads the fault values at every write, so a value set before a write applies
 * to it. */

#define VT_SERVICE_NAME "TervaneHid"
#define VT_HARDWARE_ID "root\\TervaneHid"
#define VT_SERVICE_KEY "System\\CurrentControlSet\\Services\\TervaneHid"
#define VT_PARAMETERS_KEY VT_SERVICE_KEY "\\Parameters"
#define VT_RECORD_KEY VT_SERVICE_KEY "\\Record"
#define VT_FAIL_WRITES "FailWrites"
#define VT_HOLD_WRITES "HoldWrites"
#define VT_RECORD_COUNT "Count"

#define VT_VENDOR_ID 0x0483
#define VT_PRODUCT_ID 0x5750
#define VT_VERSION 0x0100
/* The output report as a client writes it: the report ID byte (0, the device has no report
 * IDs) and 15 bytes of data. */
#define VT_REPORT_BYTES 16
#define VT_EVERY_WRITE 0xFFFFFFFFu
/* A held write stays pending this long: longer than any wait a client makes for a write. */
#define VT_HOLD_MILLISECONDS 1000

/* What became of a write. */
#define VT_TAKEN 0
#define VT_FAILED 1
#define VT_HELD 2

#pragma pack(push, 4)
typedef struct VtRecordEntry {
    unsigned long long arrived; /* system time, 100 ns units since 1601 (a FILETIME) */
    unsigned int outcome;       /* VT_TAKEN, VT_FAILED or VT_HELD */
    unsigned int length;        /* the bytes the device was handed, report ID included */
    unsigned char bytes[VT_REPORT_BYTES];
} VtRecordEntry;
#pragma pack(pop)
