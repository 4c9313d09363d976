#pragma once
// The stored values of the picture exports: section "Bitmap" (the custom
// save and the type last used by both save commands) and section "Metrics"
// (the custom copy). Each dialog reads its section when it opens and writes
// it only when it is confirmed.

#include "render/pictureio/PictureRecipe.h"  // the section's name and EmbedsRecipe

class SettingsStore;

inline constexpr const char* kValueXPixel = "XPixel";
inline constexpr const char* kValueYPixel = "YPixel";
inline constexpr const char* kValueBitmapAntiAlias = "AntiAlias";
inline constexpr const char* kValueMode = "Mode";
inline constexpr const char* kValueKeepAspect = "KeepAspect";
// 1-based index of the file type last saved with; 0: the dialog's first type.
inline constexpr const char* kValueBitmapFilterLoad = "FilterLoad";

inline constexpr const char* kSectionMetrics = "Metrics";
inline constexpr const char* kValueClipX = "ClipX";
inline constexpr const char* kValueClipY = "ClipY";
inline constexpr const char* kValueClipAspect = "ClipAspect";
inline constexpr unsigned kDefaultClipSide = 500;

// The custom save's values.
struct BitmapSettings {
    unsigned m_nXPixel = 0;  // 1..16384 once read
    unsigned m_nYPixel = 0;
    int m_bAntiAlias = 0;
    int m_nMode = 0;          // MarginMode
    int m_bKeepAspect = 1;

    // Missing sizes default to the displayed picture's; sizes of 16384 or
    // more (unsigned) become 16384, a stored 0 reads as the default, a mode
    // outside the five reads as "normal".
    void Load(SettingsStore& store, unsigned displayWidth, unsigned displayHeight);
    void Save(SettingsStore& store) const;
};

// The custom copy's values; its margin mode is kept by the document instead.
struct ClipSettings {
    unsigned m_nClipX = kDefaultClipSide;
    unsigned m_nClipY = kDefaultClipSide;
    int m_bClipAspect = 1;

    // Sizes of 16384 or more (unsigned) become 16384; a stored 0 reads as 500.
    void Load(SettingsStore& store);
    void Save(SettingsStore& store) const;
};
