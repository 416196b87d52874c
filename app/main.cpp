// Duplora, a memory game of pairs.
#include "app/Startup.h"
#include "app/Toolkit.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    return Run(app);
}
