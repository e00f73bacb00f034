// Lets the Wine runner show that arguments and the exit code pass through:
// prints one '*' per argument and exits with the number of arguments.
#include <cstdio>

int main(int argc, char**)
{
    for (int i = 1; i < argc; ++i)
        std::putchar('*');
    std::putchar('\n');
    return argc - 1;
}
