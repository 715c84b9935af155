// Zephalon: start-up.
#include "app/Main.h"

int main(int argc, char** argv)
{
    TZephalonApp app(argc, argv);
    return RunZephalon(app);
}
