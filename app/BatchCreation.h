#pragma once
// Runs the batch dialog for "&Batch Creation...": a fresh dialog each time,
// modal, over the main window's generation settings, random source, engine
// host and source picture.

class CMainFrame;

void RunBatchDialog(CMainFrame& frame);
