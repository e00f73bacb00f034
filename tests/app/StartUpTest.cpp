#include <gtest/gtest.h>

#include "app/StartUp.h"

TEST(RoleOfArgument, OnlyExactSwitchesSelectARole)
{
    const std::pair<const char*, TOrvaneRole> cases[] = {
        {"/install", orInstall},      {"/manual", orManual},
        {"/uninstall", orUninstall},  {"/uninstallsec", orUninstallSec},
        {"/update", orUpdate},        {"", orViewer},
        {"/MANUAL", orViewer},        {"-install", orViewer},
        {"/install ", orViewer},      {"/uninstal", orViewer},
        {"C:\\a b\\c.tif", orViewer},
    };
    for (auto [arg, role] : cases)
        EXPECT_EQ(RoleOfArgument(arg), role) << arg;
}
