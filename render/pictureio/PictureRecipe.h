#pragma once
// The recipe a saved picture carries: the ".quil" text of its expression and
// the program that made it, as text metadata of the types whose encoders take
// text (PNG text chunks, JPEG comments). The pixels are never touched, so a
// picture with a recipe and one without are equal pixel for pixel.

#include <string>
#include <vector>

struct PictureFileType;

class QImageWriter;
class SettingsStore;
class QIODevice;

// The metadata keys.
inline constexpr const char* kRecipeKey = "QuilExpression";
inline constexpr const char* kRecipeSoftwareKey = "Software";

// Whether saved pictures carry their expression: section "Bitmap" (the
// save commands' section), on unless stored as 0. The program reads it at
// each save, quil-cli once per command.
inline constexpr const char* kSectionBitmap = "Bitmap";
inline constexpr const char* kValueEmbedExpression = "EmbedExpression";
inline constexpr int kDefaultEmbedExpression = 1;
bool EmbedsRecipe(SettingsStore& store);
void SetEmbedsRecipe(SettingsStore& store, bool embed);

inline constexpr const char* kMsgNoRecipe = "This picture holds no Quil expression";

// A JPEG comment holds at most 65533 bytes, key included.
inline constexpr size_t kMaxJpegComment = 65533;

// The longest recipe stored and read, as stored (escaped): far above the
// text of any tree a person makes, and a bound on what reading a picture's
// text may take.
inline constexpr size_t kMaxRecipeBytes = size_t(16) << 20;

// Hands the recipe and the program's name and version to a writer whose
// type takes text. A recipe too long for the type is left out: the picture
// is saved all the same. Nothing happens for an empty recipe.
void AddRecipeTexts(QImageWriter& writer, const std::string& recipe);

enum class RecipeResult {
    Found,        // recipe holds the ".quil" text
    None,         // a picture, but it carries no recipe
    NotAPicture,  // no decoder recognises the content
    Unreadable,   // the file cannot be opened (reason says why)
};

// True when the regular file at path begins as a PNG or a JPEG file does,
// the types that carry recipes. Nothing else is read.
bool HasRecipeSignature(const std::string& path);

// Reads the recipe of the picture file at path without decoding its pixels.
// Only a regular file is read. A PNG's text chunks count wherever they lie,
// plain, compressed or international; a JPEG's comments wherever they lie.
// Time is linear in the file's size, memory bounded by kMaxRecipeBytes.
RecipeResult ReadPictureRecipe(const std::string& path, std::string& recipe, std::string* reason = nullptr);
// The same over an open device, read from its start (never Unreadable).
RecipeResult ReadRecipeFromDevice(QIODevice& device, std::string& recipe);

// The writable types whose encoders take text, for "Pictures made by Quil".
inline constexpr const char* kRecipePicturesDescription = "Pictures made by Quil";
std::vector<PictureFileType> RecipePictureTypes();
