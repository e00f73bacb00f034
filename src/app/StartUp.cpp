#include "app/StartUp.h"

TOrvaneRole RoleOfArgument(const std::string& argument)
{
    static const struct {
        const char* FSwitch;
        TOrvaneRole FRole;
    } switches[] = {
        {"/install", orInstall},           {"/manual", orManual}, {"/uninstall", orUninstall},
        {"/uninstallsec", orUninstallSec}, {"/update", orUpdate},
    };
    for (const auto& s : switches)
        if (argument == s.FSwitch)
            return s.FRole;
    return orViewer;
}
