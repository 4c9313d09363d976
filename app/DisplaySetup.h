#pragma once
// Runs the display settings dialog for the main window: "&Image display..."
// in the Settings menu and "&Setting..." in the picture's menu.

class CMainFrame;
class QWidget;

// Returns true when the dialog was confirmed and its values applied.
bool RunDisplayDialog(CMainFrame& frame, QWidget* parent);
