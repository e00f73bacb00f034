#include "app/StartUp.h"

TOrvaneRole RoleOfArgument(const std::string& argument)
{
    static const struct {
        const char* Switch;
        TOrvaneRole Role;
    } switches[] = {
        {"/install", orInstall},           {"/manual", orManual}, {"/uninstall", orUninstall},
        {"/uninstallsec", orUninstallSec}, {"/update", orUpdate},
    };
    for (const auto& s : switches)
        if (argument == s.Switch)
            return s.Role;
    return orViewer;
}
