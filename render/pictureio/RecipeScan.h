#pragma once
// The walk over a PNG's chunks or a JPEG's segments that finds the recipe's
// stored (escaped) text.

#include <string>

class QIODevice;

enum class RecipeScan {
    Found,      // stored holds the text
    None,       // a PNG or JPEG file without it
    OtherType,  // neither: the caller asks the picture's decoder
};

// Reads from the device's position, which must be the file's start.
RecipeScan ScanRecipeText(QIODevice& device, std::string& stored);
