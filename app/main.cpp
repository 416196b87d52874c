// Duplora, a memory game of pairs.
#include "app/Startup.h"
#include "toolkit/Toolkit.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    return Run(app);
}
