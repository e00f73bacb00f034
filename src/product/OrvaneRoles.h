// The roles one executable plays, chosen by its first argument: the viewer
// picks one at start-up and the installer runs three of them.
#pragma once

enum TOrvaneRole : int { orViewer, orInstall, orUninstall, orUninstallSec, orUpdate, orManual };
