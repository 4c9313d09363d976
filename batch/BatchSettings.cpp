#include "BatchSettings.h"

#include "engine/SettingsStore.h"
#include "render/CalcBitmap.h"
#include "render/Picture.h"

namespace {
int Flag(int value) { return value != 0 ? 1 : 0; }
}  // namespace

void BatchSettings::Load(SettingsStore& store, const std::string& currentDir)
{
    QuilDir = store.GetProfileString(kSectionBatch, kBatchValueQuilDir, currentDir);
    BmpDir = store.GetProfileString(kSectionBatch, kBatchValueBmpDir, QuilDir);
    BmpExt = store.GetProfileString(kSectionBatch, kBatchValueBmpExt, kDefaultBmpExt);
    Filename = store.GetProfileString(kSectionBatch, kBatchValueFilename, kDefaultPrefix);
    XPixel = store.GetProfileInt(kSectionBatch, kBatchValueXPixel, kDefaultBatchSide);
    YPixel = store.GetProfileInt(kSectionBatch, kBatchValueYPixel, kDefaultBatchSide);
    offset = unsigned(store.GetProfileInt(kSectionBatch, kBatchValueOffset, 0));
    AntiAlias = Flag(store.GetProfileInt(kSectionBatch, kBatchValueAntiAlias, 0));
    Mode = store.GetProfileInt(kSectionBatch, kBatchValueMode, MARGIN_NORMAL);
    QuilCopy = Flag(store.GetProfileInt(kSectionBatch, kBatchValueQuilCopy, 0));
    KeepAspect = Flag(store.GetProfileInt(kSectionBatch, kBatchValueKeepAspect, 1));
    CreateMode = store.GetProfileInt(kSectionBatch, kBatchValueCreateMode, BATCH_FROM_RANDOM);
    SameName = Flag(store.GetProfileInt(kSectionBatch, kBatchValueSameName, 0));
    NoOverwrite = Flag(store.GetProfileInt(kSectionBatch, kBatchValueNoOverwrite, 1));
    SkipPlain = Flag(store.GetProfileInt(kSectionBatch, kBatchValueSkipPlain, 0));
    // A value no radio button stands for would leave its group without a choice.
    if (Mode < 0 || Mode >= kNumMarginModes)
        Mode = MARGIN_NORMAL;
    if (CreateMode != BATCH_FROM_EXISTING)
        CreateMode = BATCH_FROM_RANDOM;
    ClampSize();
}

void BatchSettings::Save(SettingsStore& store)
{
    ClampSize();
    store.WriteProfileString(kSectionBatch, kBatchValueQuilDir, QuilDir);
    store.WriteProfileString(kSectionBatch, kBatchValueBmpDir, BmpDir);
    store.WriteProfileString(kSectionBatch, kBatchValueBmpExt, BmpExt);
    store.WriteProfileString(kSectionBatch, kBatchValueFilename, Filename);
    store.WriteProfileInt(kSectionBatch, kBatchValueXPixel, XPixel);
    store.WriteProfileInt(kSectionBatch, kBatchValueYPixel, YPixel);
    store.WriteProfileInt(kSectionBatch, kBatchValueOffset, int(offset));
    store.WriteProfileInt(kSectionBatch, kBatchValueAntiAlias, AntiAlias);
    store.WriteProfileInt(kSectionBatch, kBatchValueMode, Mode);
    store.WriteProfileInt(kSectionBatch, kBatchValueQuilCopy, QuilCopy);
    store.WriteProfileInt(kSectionBatch, kBatchValueKeepAspect, KeepAspect);
    store.WriteProfileInt(kSectionBatch, kBatchValueCreateMode, CreateMode);
    store.WriteProfileInt(kSectionBatch, kBatchValueSameName, SameName);
    store.WriteProfileInt(kSectionBatch, kBatchValueNoOverwrite, NoOverwrite);
    store.WriteProfileInt(kSectionBatch, kBatchValueSkipPlain, SkipPlain);
}

void BatchSettings::ClampSize()
{
    XPixel = int(ClampPictureSide(unsigned(XPixel)));
    YPixel = int(ClampPictureSide(unsigned(YPixel)));
}
