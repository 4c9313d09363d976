#pragma once
// The keyboard's way to help in every window of the program but the main
// one (whose menu has its own keys): F1 shows the focused control's help as
// a pop-up (the nearest help text of the control and the groups around it),
// or the window's help page when it has none; Shift+F1 turns the pointer
// into the help pointer, and a click on a control shows its help.

#include <QString>

class QWidget;

// Installs the help keys on the application (once; later calls do nothing).
void InstallContextHelp();
// The help text F1 shows for widget: its own or that of the nearest group
// around it, up to but not including its window; empty when none has one.
QString ContextHelpText(const QWidget* widget);
