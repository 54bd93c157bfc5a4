#include <gtest/gtest.h>

#include "support/FaultSession.h"

// The shipped DLL, loaded from the product folder as it is, finds the simulated device
// through its own SetupAPI, HID and file imports and sends what the linked plug-in sends,
// fault for fault, with the same questions to the user.
TEST(ShippedDll, PlaysEveryDeviceFaultWithTheReportsOfTheLinkedPlugin)
{
    CFaultSessionSetup setup;
    ASSERT_TRUE(setup.HasDll()) << setup.Folder() << ": run scripts/package.sh first";
    const SessionRun inside = PlayFaultSession(setup.Linked());
    const SessionRun dll = PlayFaultSession(setup.Shipped());

    ASSERT_GE(inside.device.size(), 30u);
    EXPECT_EQ(inside.device, dll.device);
    // The faults were met: the 9.5 s command is lost while the device is away and the 14 s
    // one arrives after the replug; 38 s is lost while the device cannot be opened, 44 s
    // arrives once it can.
    EXPECT_FALSE(HasLine(dll, "report t=9.500"));
    EXPECT_TRUE(HasLine(dll, "report t=14.000"));
    EXPECT_FALSE(HasLine(dll, "report t=38.000"));
    EXPECT_TRUE(HasLine(dll, "report t=44.000"));
    // The DLL let go of the device and every search, and called the bus as Windows expects.
    EXPECT_EQ(0u, dll.openDeviceHandles);
    EXPECT_EQ(0u, dll.openInfoSets);
    EXPECT_EQ(0, dll.misuses);
    EXPECT_EQ(0u, inside.openDeviceHandles);
}
