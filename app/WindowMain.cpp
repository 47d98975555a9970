#include "Startup.h"

int main(int argc, char** argv) {
    return RunPatchery(argc, argv);
}
