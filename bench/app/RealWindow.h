// The viewer's page count in its real window, with the system's message
// loop, on the platforms that have one.
#pragma once

#include <string>

// Seconds from creating the window on the file until the count is final
// and shows the expected total; negative when there is no real window here
// or the count fell short.
double CountInRealWindow(const std::string& path, unsigned expectedPages);
