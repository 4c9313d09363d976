#pragma once
// The recipe a saved picture carries: the ".quil" text of its expression and
// the program that made it, as text metadata of the types whose encoders take
// text (PNG text chunks, JPEG comments). The pixels are never touched, so a
// picture with a recipe and one without are equal pixel for pixel.

#include <string>
#include <vector>

struct PictureFileType;

class QImageWriter;

// The metadata keys.
inline constexpr const char* kRecipeKey = "QuilExpression";
inline constexpr const char* kRecipeSoftwareKey = "Software";

// Whether the application embeds recipes: section "Bitmap", 1 by default.
inline constexpr const char* kValueEmbedExpression = "EmbedExpression";
inline constexpr int kDefaultEmbedExpression = 1;

inline constexpr const char* kMsgNoRecipe = "This picture holds no Quil expression";

// A JPEG comment holds at most 65533 bytes, key included.
inline constexpr size_t kMaxJpegComment = 65533;

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
// Only a regular file is read.
RecipeResult ReadPictureRecipe(const std::string& path, std::string& recipe, std::string* reason = nullptr);

// The writable types whose encoders take text, for "Pictures made by Quil".
inline constexpr const char* kRecipePicturesDescription = "Pictures made by Quil";
std::vector<PictureFileType> RecipePictureTypes();
