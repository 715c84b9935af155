// Zephalon: start-up.
#include "app/Main.h"

int main(int argc, char** argv)
{
    PrepareProcess();
    TZephalonApp app(argc, argv);
    return RunZephalon(app);
}
