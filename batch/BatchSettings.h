#pragma once
// The settings of a batch run: where the expression files and the pictures
// go, the pictures' size, type and margins, how files are named, the
// overwrite prompt and the skipping of plain pictures. The batch dialog reads
// them from section "Batch" of the settings store when it opens and writes
// them only on OK; quil-cli batch fills them from its options.

#include <string>

class SettingsStore;

inline constexpr const char* kSectionBatch = "Batch";
inline constexpr const char* kBatchValueQuilDir = "QuilDir";
inline constexpr const char* kBatchValueBmpDir = "BmpDir";
inline constexpr const char* kBatchValueBmpExt = "BmpExt";
inline constexpr const char* kBatchValueFilename = "Filename";
inline constexpr const char* kBatchValueXPixel = "XPixel";
inline constexpr const char* kBatchValueYPixel = "YPixel";
inline constexpr const char* kBatchValueOffset = "offset";
inline constexpr const char* kBatchValueAntiAlias = "AntiAlias";
inline constexpr const char* kBatchValueMode = "Mode";
inline constexpr const char* kBatchValueQuilCopy = "QuilCopy";
inline constexpr const char* kBatchValueKeepAspect = "KeepAspect";
inline constexpr const char* kBatchValueCreateMode = "CreateMode";
inline constexpr const char* kBatchValueSameName = "SameName";
inline constexpr const char* kBatchValueNoOverwrite = "NoOverwrite";
inline constexpr const char* kBatchValueSkipPlain = "SkipPlain";

inline constexpr const char* kDefaultBmpExt = "*.bmp";
inline constexpr const char* kDefaultPrefix = "QuilPic";
constexpr unsigned kDefaultBatchCount = 100;
constexpr int kDefaultBatchSide = 100;

enum BatchCreateMode : int {
    BATCH_FROM_RANDOM = 0,    // new random expressions
    BATCH_FROM_EXISTING = 1,  // the ".quil" files of QuilDir
};

struct BatchSettings {
    std::string QuilDir;
    std::string BmpDir;
    std::string Filename;
    unsigned m_nPictureCount = kDefaultBatchCount;  // never stored
    int XPixel = kDefaultBatchSide;
    int YPixel = kDefaultBatchSide;
    int KeepAspect = 1;
    int CreateMode = BATCH_FROM_RANDOM;
    int QuilCopy = 0;     // expression files go to BmpDir instead of QuilDir
    unsigned offset = 0;  // added to the picture number in names
    int AntiAlias = 0;
    std::string BmpExt = kDefaultBmpExt;  // the picture type as a pattern, "*.bmp"
    int Mode = 0;                         // MarginMode
    int SameName = 0;     // existing mode: each picture beside its expression file, under its name
    int NoOverwrite = 1;  // ask before an existing file is replaced
    int SkipPlain = 0;    // random mode: plain pictures are made again

    bool RandomMode() const { return CreateMode != BATCH_FROM_EXISTING; }

    // Reads section "Batch" in its order. The directories default to
    // currentDir (BmpDir to the QuilDir just read); sizes are clamped and
    // flags and modes brought into their ranges.
    void Load(SettingsStore& store, const std::string& currentDir);
    // Clamps the sizes, then writes every stored value.
    void Save(SettingsStore& store);
    // Each side compared as unsigned: 16384 or more (a negative side too) becomes 16384.
    void ClampSize();
};
