#include "BatchFields.h"

#include "render/CalcBitmap.h"

#include <climits>

namespace {

constexpr BatchPreviewSize kPreviewSizes[kNumMarginModes] = {
    {100, 100}, {100, 150}, {100, 133}, {150, 100}, {133, 100},
};

// A signed size field: an integer that fits an int, no other range.
FieldError ReadSigned(const QString& text, int& value)
{
    long long number = 0;
    FieldError error = ReadIntegerField(text, number);
    if (error == FieldError::None && (number < INT_MIN || number > INT_MAX))
        error = FieldError::OutOfRange;
    if (error == FieldError::None)
        value = int(number);
    return error;
}

}  // namespace

QString BatchFieldResult::Message() const
{
    return FieldErrorMessage(error, INT_MIN, INT_MAX);
}

BatchFieldResult ReadBatchFields(const BatchFieldTexts& texts, BatchSettings& settings)
{
    BatchFieldResult result;
    auto failed = [&result](BatchField field, FieldError error) {
        if (error == FieldError::None)
            return false;
        result.field = field;
        result.error = error;
        return true;
    };
    settings.QuilDir = texts.quilDir.toStdString();
    settings.BmpDir = texts.bmpDir.toStdString();
    settings.BmpExt = texts.bmpExt.toStdString();
    settings.Filename = texts.prefix.toStdString();
    if (failed(BatchField::Count, ReadUnsignedField(texts.count, settings.m_nPictureCount)) ||
        failed(BatchField::X, ReadSigned(texts.x, settings.XPixel)) ||
        failed(BatchField::Y, ReadSigned(texts.y, settings.YPixel)))
        return result;
    settings.KeepAspect = texts.keepAspect ? 1 : 0;
    settings.CreateMode = texts.existingMode ? BATCH_FROM_EXISTING : BATCH_FROM_RANDOM;
    settings.QuilCopy = texts.quilCopy ? 1 : 0;
    if (failed(BatchField::Offset, ReadUnsignedField(texts.offset, settings.offset)))
        return result;
    settings.Mode = texts.mode;
    settings.AntiAlias = texts.antiAlias ? 1 : 0;
    settings.SameName = texts.sameName ? 1 : 0;
    settings.NoOverwrite = texts.noOverwrite ? 1 : 0;
    settings.SkipPlain = texts.skipPlain ? 1 : 0;
    return result;
}

BatchFieldTexts BatchFieldsOf(const BatchSettings& settings)
{
    BatchFieldTexts texts;
    texts.quilDir = QString::fromStdString(settings.QuilDir);
    texts.bmpDir = QString::fromStdString(settings.BmpDir);
    texts.bmpExt = QString::fromStdString(settings.BmpExt);
    texts.prefix = QString::fromStdString(settings.Filename);
    texts.count = QString::number(settings.m_nPictureCount);
    texts.x = QString::number(settings.XPixel);
    texts.y = QString::number(settings.YPixel);
    texts.keepAspect = settings.KeepAspect != 0;
    texts.existingMode = !settings.RandomMode();
    texts.quilCopy = settings.QuilCopy != 0;
    texts.offset = QString::number(settings.offset);
    texts.mode = settings.Mode;
    texts.antiAlias = settings.AntiAlias != 0;
    texts.sameName = settings.SameName != 0;
    texts.noOverwrite = settings.NoOverwrite != 0;
    texts.skipPlain = settings.SkipPlain != 0;
    return texts;
}

BatchControlStates BatchControlStatesFor(bool idle, bool randomMode, bool sameName)
{
    BatchControlStates states;
    states.settings = idle;
    states.abort = !idle;
    states.prefixAndOffset = idle && (randomMode || !sameName);
    states.count = idle && randomMode;
    states.sameName = idle && !randomMode;
    return states;
}

BatchPreviewSize BatchPreviewSizeFor(int marginMode)
{
    return marginMode >= 0 && marginMode < kNumMarginModes ? kPreviewSizes[marginMode] : kPreviewSizes[0];
}
