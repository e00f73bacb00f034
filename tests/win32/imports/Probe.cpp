// Deliberately built the wrong way (shared C++ runtime, no resources) so the
// import check can show that it notices.
#include <iostream>
#include <string>

int main(int argc, char**)
{
    std::cout << std::string(static_cast<size_t>(argc), '*') << '\n';
    return 0;
}
