#pragma once
// Reading and writing ".quil" files for quil-cli's commands.

#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <string>

enum class ExpressionRead {
    Ok,
    Failed,                // the file cannot be read or parsed
    PictureWithoutRecipe,  // a picture that carries no expression
};

// Resets the expression and reads the file at path (absolute) into it, as a
// document opens a file. A picture Quil saved with its recipe is read as the
// ".quil" file it carries: a PNG or JPEG file by its content, any other
// picture type by its extension, so that a ".quil" file is always read as one.
// reason (when given) says why it failed: the file's, or where the text
// stops being an expression. A text file larger than maxBytes is refused unread.
ExpressionRead ReadExpressionSource(const std::string& path, CQuilExpression& expression, std::string* reason,
                                    size_t maxBytes = kMaxQuilFileBytes);
// True when ReadExpressionSource reads the expression.
bool ReadExpressionFile(const std::string& path, CQuilExpression& expression);
// The same, printing "Error loading QUIL function" and below it the file's
// name and the reason on standard error when it fails, or "This picture
// holds no Quil expression" for such a picture.
bool ReadExpressionFileOrReport(const std::string& path, CQuilExpression& expression,
                                size_t maxBytes = kMaxQuilFileBytes);
// The text Quil writes for the expression saved as filePath; empty on failure.
std::string WriteExpressionText(CQuilExpression& expression, const std::string& filePath);
// Writes the expression to filePath as a document is saved: only onto a
// regular file or a new name (a link is followed), through a new file of an
// unpredictable name that takes the old one's place when it is complete.
// False, with the reason when there is one, otherwise.
bool WriteExpressionFile(CQuilExpression& expression, const std::string& filePath, std::string* reason = nullptr);
