#pragma once
// The names of the files a batch run writes. Picture n (1 for the first of a
// run) is numbered offset + n, a 32-bit sum that wraps around, written with
// "%06d" as a signed number: offset 0 gives 000001, offset 999999 gives
// 1000000. Folders and names are joined with "/".

#include "QuilFileList.h"

#include <string>
#include <vector>

struct BatchSettings;

// "%06d" of offset + n, wrapped to 32 bits and read as signed.
std::string BatchNumberText(unsigned offset, unsigned n);
// The picture type's extension with its dot: "*.bmp" gives ".bmp".
std::string BatchExtension(const std::string& bmpExt);
// dir + "/" + name; a name alone when dir is empty, no second "/" when dir ends with one.
std::string JoinBatchPath(const std::string& dir, const std::string& name);
// The text after the last "/" of a path; the whole path when it has none.
std::string BatchFileName(const std::string& path);

// The picture's file for picture n. In existing mode with SameName: the n-th
// listed file with ".quil" replaced by the extension, beside it. Otherwise
// BmpDir / Filename + number + extension.
std::string MakeBitmapName(const BatchSettings& settings, unsigned n, const std::vector<QuilFileEntry>& files);
// The expression file written for picture n: QuilDir / Filename + number +
// ".quil" without QuilCopy; with it the same name in BmpDir, or in existing
// mode with SameName the listed file's own name in BmpDir.
std::string MakeQuilCopyName(const BatchSettings& settings, unsigned n, const std::vector<QuilFileEntry>& files);
// Whether a run writes expression files: always in random mode, in existing mode with QuilCopy.
bool WritesQuilFiles(const BatchSettings& settings);
