// Zephalon: start-up.
#include "app/Main.h"
#include "dialogs/WebMap.h"

int main(int argc, char** argv)
{
    PrepareWebEngine();
    TZephalonApp app(argc, argv);
    return RunZephalon(app);
}
