#pragma once
// Runs the function creation dialog for the main window ("&Function
// creation..." in the Settings menu and on the toolbar): fills it from the
// generation settings, and on OK the settings take its values and are saved,
// so the next New Random, Generate Random and batch picture use them.

class CMainFrame;
class QWidget;

// Returns true when the dialog was confirmed and the settings changed.
bool RunFunctionCreationDialog(CMainFrame& frame, QWidget* parent);
