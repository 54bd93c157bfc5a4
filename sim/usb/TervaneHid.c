/* A virtual Tervane device for Wine: a HID minidriver on a root-enumerated device node, below
 * the system's own hidclass, hid.dll and SetupAPI. It has the device's identity and its one
 * 16-byte output report without report IDs, records every write it receives in the registry
 * (VirtualTervaneProtocol.h) and fails or holds writes as told there. Test stand-in only. */
#include <ntddk.h>

#include "VirtualTervaneProtocol.h"

/* mingw-w64 has no hidport.h, and the driver-side codes in its ddk/hidclass.h are wrong:
 * these are the values hidclass sends. */
#define VT_HID_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define IOCTL_HID_GET_DEVICE_DESCRIPTOR VT_HID_CTL_CODE(0)
#define IOCTL_HID_GET_REPORT_DESCRIPTOR VT_HID_CTL_CODE(1)
#define IOCTL_HID_READ_REPORT VT_HID_CTL_CODE(2)
#define IOCTL_HID_WRITE_REPORT VT_HID_CTL_CODE(3)
#define IOCTL_HID_GET_STRING VT_HID_CTL_CODE(4)
#define IOCTL_HID_ACTIVATE_DEVICE VT_HID_CTL_CODE(7)
#define IOCTL_HID_DEACTIVATE_DEVICE VT_HID_CTL_CODE(8)
#define IOCTL_HID_GET_DEVICE_ATTRIBUTES VT_HID_CTL_CODE(9)
#define HID_STRING_ID_IMANUFACTURER 14
#define HID_STRING_ID_IPRODUCT 15
#define HID_STRING_ID_ISERIALNUMBER 16

typedef struct _HID_MINIDRIVER_REGISTRATION {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION;

typedef struct _HID_DEVICE_EXTENSION {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} HID_DEVICE_EXTENSION;

typedef struct _HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct _HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} HID_DESCRIPTOR;
#pragma pack(pop)

typedef struct _HID_XFER_PACKET {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(HID_MINIDRIVER_REGISTRATION* registration);

/* A function in the amd64 headers is a read of the kernel's shared page; the call is plain. */
#undef KeQuerySystemTime
__declspec(dllimport) VOID NTAPI KeQuerySystemTime(PLARGE_INTEGER time);

/* Vendor page, one output report of 15 data bytes and no report ID: a client writes 16 bytes,
 * the first of them report ID 0. No input report. */
static const UCHAR kReportDescriptor[] = {
    0x06, 0x00, 0xFF, /* Usage Page (vendor) */
    0x09, 0x01,       /* Usage (1) */
    0xA1, 0x01,       /* Collection (Application) */
    0x09, 0x02,       /*   Usage (2) */
    0x15, 0x00,       /*   Logical Minimum (0) */
    0x26, 0xFF, 0x00, /*   Logical Maximum (255) */
    0x75, 0x08,       /*   Report Size (8) */
    0x95, 0x0F,       /*   Report Count (15) */
    0x91, 0x02,       /*   Output (Data, Variable, Absolute) */
    0xC0,             /* End Collection */
};

/* The minidriver's part of each device extension. */
typedef struct VtDevice {
    /* hidclass keeps one read in flight even with no input report: it waits here until the
     * device goes. Failing it at once would make hidclass ask again without pause. */
    PIRP pendingRead;
} VtDevice;

static WCHAR g_parametersPath[256];
static WCHAR g_recordPath[256];
/* Faults and the record change together, one write at a time. */
static KEVENT g_lock;
static volatile LONG g_holders;

static VtDevice* DeviceOf(PDEVICE_OBJECT device)
{
    return (VtDevice*)((HID_DEVICE_EXTENSION*)device->DeviceExtension)->MiniDeviceExtension;
}

static PDEVICE_OBJECT LowerOf(PDEVICE_OBJECT device)
{
    return ((HID_DEVICE_EXTENSION*)device->DeviceExtension)->NextDeviceObject;
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- The registry: faults and the record ---- */

static BOOLEAN JoinPath(WCHAR* out, ULONG capacity, PCUNICODE_STRING base, const WCHAR* tail)
{
    ULONG baseChars = base->Length / sizeof(WCHAR);
    ULONG tailChars = 0;
    while (tail[tailChars] != 0)
        ++tailChars;
    if (baseChars + tailChars + 1 > capacity)
        return FALSE;
    RtlCopyMemory(out, base->Buffer, baseChars * sizeof(WCHAR));
    RtlCopyMemory(out + baseChars, tail, (tailChars + 1) * sizeof(WCHAR));
    return TRUE;
}

static HANDLE OpenKey(const WCHAR* path)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    HANDLE key = NULL;
    RtlInitUnicodeString(&name, path);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwCreateKey(&key, KEY_ALL_ACCESS, &attributes, 0, NULL, REG_OPTION_NON_VOLATILE, NULL)))
        return NULL;
    return key;
}

static ULONG ReadDword(HANDLE key, const WCHAR* valueName)
{
    UNICODE_STRING name;
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)];
    KEY_VALUE_PARTIAL_INFORMATION* value = (KEY_VALUE_PARTIAL_INFORMATION*)buffer;
    ULONG size = 0;
    ULONG result = 0;
    RtlInitUnicodeString(&name, valueName);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &name, KeyValuePartialInformation, value, sizeof(buffer), &size)) ||
        value->Type != REG_DWORD || value->DataLength != sizeof(ULONG))
        return 0;
    RtlCopyMemory(&result, value->Data, sizeof(result));
    return result;
}

static void WriteValue(HANDLE key, const WCHAR* valueName, ULONG type, const void* data, ULONG size)
{
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, valueName);
    ZwSetValueKey(key, &name, 0, type, (PVOID)data, size);
}

/* Uses up one write of a count; VT_EVERY_WRITE never runs out. True when the write meets it. */
static BOOLEAN TakeOne(HANDLE key, const WCHAR* valueName)
{
    ULONG count = ReadDword(key, valueName);
    if (count == 0)
        return FALSE;
    if (count != VT_EVERY_WRITE) {
        --count;
        WriteValue(key, valueName, REG_DWORD, &count, sizeof(count));
    }
    return TRUE;
}

static ULONG TakeFault(void)
{
    ULONG outcome = VT_TAKEN;
    HANDLE key = OpenKey(g_parametersPath);
    if (key == NULL)
        return VT_TAKEN;
    if (TakeOne(key, L"" VT_FAIL_WRITES))
        outcome = VT_FAILED;
    else if (TakeOne(key, L"" VT_HOLD_WRITES))
        outcome = VT_HELD;
    ZwClose(key);
    return outcome;
}

static void Record(ULONG outcome, UCHAR reportId, const UCHAR* data, ULONG length)
{
    VtRecordEntry entry;
    LARGE_INTEGER now;
    WCHAR name[9];
    ULONG count;
    ULONG digits;
    ULONG i;
    HANDLE key = OpenKey(g_recordPath);
    if (key == NULL)
        return;
    KeQuerySystemTime(&now);
    RtlZeroMemory(&entry, sizeof(entry));
    entry.arrived = (unsigned long long)now.QuadPart;
    entry.outcome = outcome;
    entry.length = length + 1;
    entry.bytes[0] = reportId;
    for (i = 0; i < length && i + 1 < VT_REPORT_BYTES; ++i)
        entry.bytes[i + 1] = data[i];

    count = ReadDword(key, L"" VT_RECORD_COUNT);
    digits = count;
    for (i = 8; i-- > 0;) {
        name[i] = (WCHAR)(L'0' + digits % 10);
        digits /= 10;
    }
    name[8] = 0;
    WriteValue(key, name, REG_BINARY, &entry, sizeof(entry));
    ++count;
    WriteValue(key, L"" VT_RECORD_COUNT, REG_DWORD, &count, sizeof(count));
    ZwClose(key);
}

/* ---- Held writes ---- */

/* A held write ends on a thread of its own, so the driver host's other work goes on. It
 * touches nothing but the request, which its sender waits for. */
static VOID NTAPI ReleaseHeldWrite(PVOID context)
{
    PIRP irp = (PIRP)context;
    LARGE_INTEGER delay;
    delay.QuadPart = -(LONGLONG)VT_HOLD_MILLISECONDS * 10000;
    KeDelayExecutionThread(KernelMode, FALSE, &delay);
    Complete(irp, STATUS_IO_TIMEOUT, 0);
    InterlockedDecrement(&g_holders);
    PsTerminateSystemThread(STATUS_SUCCESS);
}

static NTSTATUS Hold(PIRP irp)
{
    HANDLE thread = NULL;
    IoMarkIrpPending(irp);
    InterlockedIncrement(&g_holders);
    if (!NT_SUCCESS(PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, ReleaseHeldWrite, irp))) {
        InterlockedDecrement(&g_holders);
        Complete(irp, STATUS_IO_TIMEOUT, 0);
        return STATUS_PENDING;
    }
    ZwClose(thread);
    return STATUS_PENDING;
}

/* ---- Requests from hidclass ---- */

static NTSTATUS CopyOut(PIRP irp, const void* data, ULONG size)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (irp->UserBuffer == NULL || stack->Parameters.DeviceIoControl.OutputBufferLength < size)
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    RtlCopyMemory(irp->UserBuffer, data, size);
    return Complete(irp, STATUS_SUCCESS, size);
}

static NTSTATUS GetString(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    const WCHAR* text = id == HID_STRING_ID_IMANUFACTURER ? L"TervanePlugin tests"
                        : id == HID_STRING_ID_IPRODUCT    ? L"Tervane (virtual)"
                        : id == HID_STRING_ID_ISERIALNUMBER ? L"0001"
                                                            : NULL;
    ULONG size = 0;
    if (text == NULL)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    while (text[size / sizeof(WCHAR)] != 0)
        size += sizeof(WCHAR);
    return CopyOut(irp, text, size + sizeof(WCHAR));
}

static NTSTATUS WriteReport(PIRP irp)
{
    HID_XFER_PACKET* packet = (HID_XFER_PACKET*)irp->UserBuffer;
    ULONG outcome;
    if (packet == NULL || packet->reportBuffer == NULL)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    KeWaitForSingleObject(&g_lock, Executive, KernelMode, FALSE, NULL);
    outcome = TakeFault();
    Record(outcome, packet->reportId, packet->reportBuffer, packet->reportBufferLen);
    KeSetEvent(&g_lock, IO_NO_INCREMENT, FALSE);
    if (outcome == VT_FAILED)
        return Complete(irp, STATUS_UNSUCCESSFUL, 0);
    if (outcome == VT_HELD)
        return Hold(irp);
    /* hidclass took the report ID byte off; the client wrote it, so it counts. */
    return Complete(irp, STATUS_SUCCESS, packet->reportBufferLen + 1);
}

static NTSTATUS NTAPI DispatchInternalControl(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        HID_DESCRIPTOR descriptor;
        RtlZeroMemory(&descriptor, sizeof(descriptor));
        descriptor.bLength = sizeof(descriptor);
        descriptor.bDescriptorType = 0x21;
        descriptor.bcdHID = 0x0111;
        descriptor.bNumDescriptors = 1;
        descriptor.DescriptorList[0].bReportType = 0x22;
        descriptor.DescriptorList[0].wReportLength = sizeof(kReportDescriptor);
        return CopyOut(irp, &descriptor, sizeof(descriptor));
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        return CopyOut(irp, kReportDescriptor, sizeof(kReportDescriptor));
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        HID_DEVICE_ATTRIBUTES attributes;
        RtlZeroMemory(&attributes, sizeof(attributes));
        attributes.Size = sizeof(attributes);
        attributes.VendorID = VT_VENDOR_ID;
        attributes.ProductID = VT_PRODUCT_ID;
        attributes.VersionNumber = VT_VERSION;
        return CopyOut(irp, &attributes, sizeof(attributes));
    }
    case IOCTL_HID_GET_STRING:
        return GetString(irp);
    case IOCTL_HID_READ_REPORT: {
        PIRP earlier;
        IoMarkIrpPending(irp);
        earlier = (PIRP)InterlockedExchangePointer((PVOID*)&DeviceOf(device)->pendingRead, irp);
        if (earlier != NULL)
            Complete(earlier, STATUS_CANCELLED, 0);
        return STATUS_PENDING;
    }
    case IOCTL_HID_WRITE_REPORT:
        return WriteReport(irp);
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(irp, STATUS_SUCCESS, 0);
    default:
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

/* Everything goes down to the root node; what a function driver must agree to, it agrees to,
 * and the rest passes as it came. */
static NTSTATUS NTAPI DispatchPnp(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_REMOVE_DEVICE: {
        PIRP read = (PIRP)InterlockedExchangePointer((PVOID*)&DeviceOf(device)->pendingRead, NULL);
        if (read != NULL)
            Complete(read, STATUS_DEVICE_NOT_CONNECTED, 0);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    }
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(LowerOf(device), irp);
}

static NTSTATUS NTAPI DispatchPower(PDEVICE_OBJECT device, PIRP irp)
{
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(LowerOf(device), irp);
}

static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT device)
{
    (void)driver;
    DeviceOf(device)->pendingRead = NULL;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    LARGE_INTEGER pause;
    (void)driver;
    /* A held write's thread runs this driver's code until it ends. */
    pause.QuadPart = -10 * 10000;
    while (g_holders > 0)
        KeDelayExecutionThread(KernelMode, FALSE, &pause);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    HID_MINIDRIVER_REGISTRATION registration;
    if (!JoinPath(g_parametersPath, 256, registryPath, L"\\Parameters") ||
        !JoinPath(g_recordPath, 256, registryPath, L"\\Record"))
        return STATUS_NAME_TOO_LONG;
    KeInitializeEvent(&g_lock, SynchronizationEvent, TRUE);

    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;

    RtlZeroMemory(&registration, sizeof(registration));
    registration.Revision = 1;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(VtDevice);
    registration.DevicesArePolled = FALSE;
    return HidRegisterMinidriver(&registration);
}
