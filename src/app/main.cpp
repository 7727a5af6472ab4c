#include "app/desktop_app.h"

int main(int argc, char* argv[]) {
    return twinsift::runDesktop(argc, argv);
}
