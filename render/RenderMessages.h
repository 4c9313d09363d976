#pragma once
// The messages of picture calculation, saving and loading, as the program
// shows them, and the one safe way to fill in their single placeholder.

#include <string>

inline constexpr const char* kMsgMaxResolution = "Maximum resolution for x and y is %d";
inline constexpr const char* kMsgCanNotSaveBitmap = "Can not save bitmap \"%s\"";
// A missing output folder is made; this says why it could not be, after ": ".
inline constexpr const char* kMsgCanNotCreateFolder = "Can not create folder \"%s\"";
inline constexpr const char* kMsgLoadPictureFailed = "Load picture '%s' failed.\n";
inline constexpr const char* kMsgNoPictureLoaded = "No picture loaded";
inline constexpr const char* kMsgPictureStatus = "PIC (%d x %d): %s";

// Replaces the first "%s" with text; a '%' inside text stays as it is.
std::string FillMessage(const char* format, const std::string& text);
// Replaces the first "%d" with the number.
std::string FillMessage(const char* format, long long number);
// For kMsgPictureStatus: "%d", "%d", then "%s", in that order.
std::string FillPictureStatus(int width, int height, const std::string& path);
