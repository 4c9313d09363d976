#pragma once
// Runs the tree appearance dialog for the main window: "&Tree display..." in
// the Settings menu and "&Settings..." in the tree's menus take the same steps.

class CMainFrame;
class QWidget;

// Returns true when the dialog was confirmed and its values applied.
bool RunTreeAppearanceDialog(CMainFrame& frame, QWidget* parent);
