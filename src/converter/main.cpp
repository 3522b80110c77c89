#include <cstdio>

int main()
{
    std::fputs("usage: nconvert [-q N] -out FORMAT [-truecolors] [-o OUTPUT] [-overwrite] SOURCE\n", stderr);
    return 2;
}
