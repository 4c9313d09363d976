#include "ExportSettings.h"

#include "engine/SettingsStore.h"
#include "render/CalcBitmap.h"
#include "render/Picture.h"
#include "render/pictureio/PictureRecipe.h"

namespace {
unsigned ReadSide(SettingsStore& store, const char* section, const char* entry, unsigned fallback)
{
    const unsigned side = ClampPictureSide(unsigned(store.GetProfileInt(section, entry, int(fallback))));
    return side == 0 ? ClampPictureSide(fallback) : side;
}
int ReadFlag(SettingsStore& store, const char* section, const char* entry, int fallback)
{
    return store.GetProfileInt(section, entry, fallback) != 0 ? 1 : 0;
}
}  // namespace

void BitmapSettings::Load(SettingsStore& store, unsigned displayWidth, unsigned displayHeight)
{
    m_nXPixel = ReadSide(store, kSectionBitmap, kValueXPixel, displayWidth);
    m_nYPixel = ReadSide(store, kSectionBitmap, kValueYPixel, displayHeight);
    m_bAntiAlias = ReadFlag(store, kSectionBitmap, kValueBitmapAntiAlias, 0);
    m_nMode = store.GetProfileInt(kSectionBitmap, kValueMode, MARGIN_NORMAL);
    if (m_nMode < 0 || m_nMode >= kNumMarginModes)
        m_nMode = MARGIN_NORMAL;
    m_bKeepAspect = ReadFlag(store, kSectionBitmap, kValueKeepAspect, 1);
}

void BitmapSettings::Save(SettingsStore& store) const
{
    store.WriteProfileInt(kSectionBitmap, kValueKeepAspect, m_bKeepAspect);
    store.WriteProfileInt(kSectionBitmap, kValueXPixel, int(m_nXPixel));
    store.WriteProfileInt(kSectionBitmap, kValueYPixel, int(m_nYPixel));
    store.WriteProfileInt(kSectionBitmap, kValueBitmapAntiAlias, m_bAntiAlias);
    store.WriteProfileInt(kSectionBitmap, kValueMode, m_nMode);
}

void ClipSettings::Load(SettingsStore& store)
{
    m_nClipX = ReadSide(store, kSectionMetrics, kValueClipX, kDefaultClipSide);
    m_nClipY = ReadSide(store, kSectionMetrics, kValueClipY, kDefaultClipSide);
    m_bClipAspect = ReadFlag(store, kSectionMetrics, kValueClipAspect, 1);
}

void ClipSettings::Save(SettingsStore& store) const
{
    store.WriteProfileInt(kSectionMetrics, kValueClipX, int(m_nClipX));
    store.WriteProfileInt(kSectionMetrics, kValueClipY, int(m_nClipY));
    store.WriteProfileInt(kSectionMetrics, kValueClipAspect, m_bClipAspect);
}


