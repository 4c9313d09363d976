#pragma once
// The folder each kind of file was last chosen in, kept in the settings
// (section "Folders"), so that every file dialog opens where the person
// left off for that kind of file.

#include <QString>

class SettingsStore;

// Kinds of files, the value names of section "Folders".
inline constexpr const char* kSectionFolders = "Folders";
inline constexpr const char* kFolderDocuments = "Documents";         // Open, Save As
inline constexpr const char* kFolderPictures = "Pictures";           // Save Bitmap, the custom save
inline constexpr const char* kFolderSourcePictures = "SourcePictures";  // Load picture
inline constexpr const char* kFolderBatch = "Batch";                 // the batch's folder choosers

// The folder last used for kind; empty when none is kept or it has gone.
QString LastFolder(SettingsStore& store, const char* kind);
// Keeps the folder of path (a file, or a folder when isFolder) for kind.
void RememberFolder(SettingsStore& store, const char* kind, const QString& path, bool isFolder = false);
// The name a dialog opens with: a name without a folder of its own goes into
// the folder last used for kind; a name with one is kept.
QString InLastFolder(SettingsStore& store, const char* kind, const QString& name);
