#pragma once
// Runs the custom copy and the custom save for the main window: the picture
// view asks for them through the shell services with its document.

class CMainFrame;
class CQuilDoc;
class Picture;

// "Custom Copy...": on OK the sizes go to "Metrics" and the margin mode to the document.
void RunCustomCopyDialog(CMainFrame& frame, CQuilDoc& doc);
// "Save Custom Bitmap...": the file dialog with the size panel, then the
// progress dialog that computes and saves; the type is remembered unless the
// calculation was aborted.
void RunCustomSaveDialog(CMainFrame& frame, CQuilDoc& doc, int displayWidth, int displayHeight, const Picture& preview);
