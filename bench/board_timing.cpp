// Times the board operations that read pictures from disk, in-process and offscreen: one deal
// (ShuffleBoard, 36 picture reads) and one tick of the hidden reshuffle. Run it in a folder with
// Images/. Prints "<operation> <median microseconds> <slowest microseconds>".
#include "app/Startup.h"
#include "main/Main.h"
#include "toolkit/Toolkit.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int Repetitions = 101;

void report(const char *name, const std::function<void()> &operation)
{
    std::vector<double> micros;
    for (int i = 0; i < Repetitions; ++i) {
        QElapsedTimer clock;
        clock.start();
        operation();
        micros.push_back(clock.nsecsElapsed() / 1e3);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%s %.0f %.0f\n", name, micros[micros.size() / 2], micros.back());
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    try {
        PrepareApplication(app);
        CreateForms();
        report("shuffle", [] { FormMain->ShuffleBoard(); });
        // The board of a game just begun: every card face down, nothing turned yet.
        FormMain->CardsLeft = TFormMain::CardCount;
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            FormMain->FindImage(n)->setVisible(false);
        report("tick", [] { FormMain->CheatTimerTimer(); });
        DestroyForms();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
