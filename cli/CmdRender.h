#pragma once
// The picture pipeline that quil-cli's render and random commands share: the
// calculation job on its worker thread as the custom-size save runs it, the
// margins and SavePicture, with a progress bar on a terminal.

#include "render/DisplayDefaults.h"
#include "render/Picture.h"
#include "render/PlaneView.h"

#include <memory>
#include <string>
#include <vector>

struct ExprNode;
class EngineHost;
class CQuilExpression;
class TerminalEngineHost;

constexpr unsigned kDefaultRenderSide = kDefaultDisplaySide;

struct CliRenderSettings {
    unsigned width = kDefaultRenderSide;
    unsigned height = kDefaultRenderSide;
    bool antiAlias = false;
    int marginMode = 0;
    bool reference = false;  // the literal one-thread renderer
    int threads = 0;         // production renderer's workers; 0: one per core
    bool recipe = true;      // the expression goes into the picture's metadata
    PlaneView view;          // the part of the plane shown
    std::string output;
};

// Makes the missing folders above the file an output goes to; false after
// printing why one cannot be made.
bool MakeOutputFolder(const std::string& file);

// Whether pictures carry their expression unless --no-recipe says otherwise:
// the program's stored setting, on by default.
bool StoredRecipeSetting();

// Reads one of the options --size, --antialias, --margins, --reference,
// --renderer, --threads, --no-recipe, -o
// at args[i] (advancing i past its value). Returns 1 when it took the
// option, 0 when args[i] is none of them, -1 after printing a usage error.
int TakeRenderOption(const char* command, const std::vector<std::string>& args, size_t& i,
                     CliRenderSettings& settings);
// Checks what the options cannot check one by one: an output is named, its
// type is writable and the size is within 16384. Prints the message and
// returns the exit status on failure, 0 when all is well.
int CheckRenderSettings(const char* command, const CliRenderSettings& settings);

// Renders root (source: what "PIC" reads, null for black), adds the margins
// and saves, with recipe (the expression's ".quil" text, empty for none) in
// the picture's metadata. Returns the exit status; messages go to standard error.
int RenderAndSave(const ExprNode* root, std::shared_ptr<const Picture> source, const CliRenderSettings& settings,
                  const std::string& recipe);

// Loads what "PIC" reads when expression (already read through host) uses
// it: picture, or else the picture the file names; nothing when it names
// none. False after the failure has been printed.
bool LoadCliSourcePicture(const CQuilExpression& expression, TerminalEngineHost& host, const std::string& picture,
                          std::shared_ptr<const Picture>& source);

// Usage lines of the shared options, for the commands' --help texts (a
// macro so that it joins their string literals).
#define QUIL_RENDER_OPTIONS_HELP                                                         \
    "  -o OUT           the image file to write; its extension chooses the type\n"       \
    "                   (see quil-cli formats)\n"                                        \
    "  --size WxH       picture size in pixels, each side 1 to 16384 (default 300x300)\n" \
    "  --antialias      four samples per pixel\n"                                        \
    "  --margins M      black margins to a paper ratio: 0 none, 1 portrait (2:3),\n"     \
    "                   2 portrait (3:4), 3 landscape (3:2), 4 landscape (4:3)\n"        \
    "  --reference      the literal one-thread renderer (slow; same pixels)\n"       \
    "  --renderer NAME  reference or production (the default)\n"                     \
    "  --threads N      worker threads of the production renderer, 0 to 64;\n"      \
    "                   0 (the default) is one per core\n"                                \
    "  --no-recipe      leave the expression out of the picture's metadata (by\n"      \
    "                   default PNG and JPEG pictures carry it, unless Quil's\n"      \
    "                   Settings menu has \"Store the expression in saved\n"           \
    "                   pictures\" off)\n"
