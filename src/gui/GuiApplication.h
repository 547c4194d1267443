#pragma once

struct LaunchOptions;

// The desktop window: `vennaro` without a command, or with a file or link to hand in.
namespace GuiApplication {
// Whether a window can be opened here (a display, or a Qt platform chosen explicitly).
bool displayAvailable();
// Runs the window until it closes and answers the exit status. When another window already
// runs on the same documents folder, hands the file over to it and answers 0 at once.
int run(int &argc, char **argv, const LaunchOptions &options);
}
