// Start-up: the four windows, the event loop, and what the process returns.
#pragma once

class QApplication;
class TApplication;

inline constexpr int ExitFailedStartUp = 1;

// Names the application, gives it the game's fonts.
void PrepareApplication(QApplication &app);
// Creates FormMain, FormNewGame, FormTop10 and FormAbout in that order; throws what a window
// throws, leaving the windows created before it in place.
void CreateForms();
void DestroyForms();
// The whole run: the windows, the loop until the main window closes, the exit code.
int Run(TApplication &app);
