// Duplora, a memory game of pairs.
#include "app/Startup.h"
#include "toolkit/Toolkit.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    const int code = Run(app);
    if (TeardownMayHang())
        std::_Exit(code);
    return code;
}
