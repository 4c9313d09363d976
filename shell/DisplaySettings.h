#pragma once
// The main window's display, tree and miscellaneous settings: the defaults for
// new views, read from the settings store when the main window is created.
// The dialogs that edit them store their own values; the main window stores
// "BgColor" and "Misc"/"FilterLoad" when it closes.

#include "render/DisplayDefaults.h"

#include <cstdint>

class SettingsStore;

inline constexpr const char* kSectionDisplay = "Display";
inline constexpr const char* kSectionTree = "Tree";
inline constexpr const char* kValueDisplayX = "DisplayX";
inline constexpr const char* kValueDisplayY = "DisplayY";
inline constexpr const char* kValueApply = "Apply";
inline constexpr const char* kValueAntiAlias = "AntiAlias";
inline constexpr const char* kValueAspect = "Aspect";
inline constexpr const char* kValuePictureResolution = "PictureResolution";
inline constexpr const char* kValueBgColor = "BgColor";
inline constexpr const char* kValueFilterLoad = "FilterLoad";
inline constexpr const char* kValueThumbSize = "ThumbSize";
inline constexpr const char* kValueExpandTree = "ExpandTree";


// A colour as the settings keep it: 0x00BBGGRR.
using ColorRef = std::uint32_t;
constexpr ColorRef MakeColorRef(int r, int g, int b)
{
    return ColorRef(r & 0xff) | (ColorRef(g & 0xff) << 8) | (ColorRef(b & 0xff) << 16);
}
constexpr int ColorRefRed(ColorRef c) { return int(c & 0xff); }
constexpr int ColorRefGreen(ColorRef c) { return int((c >> 8) & 0xff); }
constexpr int ColorRefBlue(ColorRef c) { return int((c >> 16) & 0xff); }

struct DisplaySettings {
    // "Display"
    int m_nDisplayWidth = kDefaultDisplaySide;   // DisplayWidth, 1..16384
    int m_nDisplayHeight = kDefaultDisplaySide;  // DisplayHeight, 1..16384
    int m_nApply = 0;                            // ApplyScope of the display dialog
    int m_bAntiAlias = 0;
    int m_bAspect = 1;
    int m_bPictureResolution = 0;
    ColorRef m_crBackground = 0;                 // BackgroundColour, black
    // "Misc"
    int m_nFilterLoad = 0;                       // type index of "Load picture..."
    // "Tree"
    int m_nThumbSize = kDefaultThumbSide;        // 0..64, 0: no thumbnails
    int m_nTreeApply = 0;
    int m_bExpandTree = 1;

    // Reads every value with its default. Sizes of 16384 or more (unsigned)
    // become 16384; a stored 0 side, which no view can show, reads as the default.
    // A thumbnail size outside 0..64 reads as the nearest limit.
    void Load(SettingsStore& store);
    // What the main window writes when it closes.
    void SaveOnExit(SettingsStore& store) const;
};
