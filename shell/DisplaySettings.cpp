#include "DisplaySettings.h"

#include "engine/SettingsStore.h"
#include "render/Picture.h"
#include "resources/AppStrings.h"

#include <algorithm>

namespace {
int ReadSide(SettingsStore& store, const char* entry)
{
    unsigned side = ClampPictureSide(unsigned(store.GetProfileInt(kSectionDisplay, entry, kDefaultDisplaySide)));
    return side == 0 ? kDefaultDisplaySide : int(side);
}
int ReadFlag(SettingsStore& store, const char* section, const char* entry, int defaultValue)
{
    return store.GetProfileInt(section, entry, defaultValue) != 0 ? 1 : 0;
}
}  // namespace

void DisplaySettings::Load(SettingsStore& store)
{
    m_nDisplayWidth = ReadSide(store, kValueDisplayX);
    m_nDisplayHeight = ReadSide(store, kValueDisplayY);
    m_nApply = std::clamp(store.GetProfileInt(kSectionDisplay, kValueApply, 0), 0, 2);
    m_bAntiAlias = ReadFlag(store, kSectionDisplay, kValueAntiAlias, 0);
    m_bAspect = ReadFlag(store, kSectionDisplay, kValueAspect, 1);
    m_bPictureResolution = ReadFlag(store, kSectionDisplay, kValuePictureResolution, 0);
    m_crBackground = ColorRef(store.GetProfileInt(kSectionDisplay, kValueBgColor, 0)) & 0x00ffffffu;
    m_nFilterLoad = std::max(0, store.GetProfileInt(kSectionMisc, kValueFilterLoad, 0));
    m_nThumbSize = std::clamp(store.GetProfileInt(kSectionTree, kValueThumbSize, kDefaultThumbSide), 0, kMaxThumbSide);
    m_nTreeApply = std::clamp(store.GetProfileInt(kSectionTree, kValueApply, 0), 0, 2);
    m_bExpandTree = ReadFlag(store, kSectionTree, kValueExpandTree, 1);
}

void DisplaySettings::SaveOnExit(SettingsStore& store) const
{
    store.WriteProfileInt(kSectionDisplay, kValueBgColor, int(m_crBackground));
    store.WriteProfileInt(kSectionMisc, kValueFilterLoad, m_nFilterLoad);
}
