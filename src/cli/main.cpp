#include <cstdio>

int main() {
    std::fputs("usage: twinsift-cli [options] [--] FOLDER...\n", stdout);
    return 0;
}
