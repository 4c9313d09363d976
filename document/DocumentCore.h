#pragma once
// CDocumentCore is one picture recipe without any window: the expression
// with its per-document flags, the modified flag and the expressions an Undo
// goes back to. It makes the expression (the logo, a random one, a copy of a
// branch), reads and writes the ".quil" file, replaces the expression by a
// random one and takes an edited tree back from its labels. Failures come
// back as values; showing them is for whoever holds the document.
//
// Jobs on worker threads read the expression's nodes. Whoever calls an
// operation that changes or replaces the expression stops those jobs first.

#include "LabelTree.h"
#include "UndoHistory.h"

#include <memory>
#include <string>

class CQuilExpression;
class EngineHost;
class RandomSource;
class StringArchive;
struct ExprNode;
struct GenerationSettings;

enum class DocFailure {
    None,
    CannotRead,       // the file could not be read (reason: why)
    NotAnExpression,  // the file's text is no expression ("Error loading QUIL function")
    CannotWrite,      // the file could not be written (reason: why)
    NotAccepted,      // an edited tree has a label that is no node
    NoMemory,         // the node pool or the memory ran out (already reported through the host)
};

struct DocResult {
    DocFailure failure = DocFailure::None;
    std::string reason;  // the file system's explanation, for CannotRead and CannotWrite
    explicit operator bool() const { return failure == DocFailure::None; }
};

class CDocumentCore {
public:
    explicit CDocumentCore(EngineHost& host);
    virtual ~CDocumentCore();
    CDocumentCore(const CDocumentCore&) = delete;
    CDocumentCore& operator=(const CDocumentCore&) = delete;

    EngineHost& Host() const { return m_host; }

    // Making the expression: each starts from an empty pool. The logo is
    // rgb(X, Y, BW(-1)); a random one and a branch copy mark the document modified.
    void MakeLogo();
    DocResult MakeRandom(const GenerationSettings& settings, RandomSource& random);
    // The branch may belong to another document: it is copied at once.
    DocResult MakeFromBranch(const ExprNode* branch);

    // Reads the ".quil" file (a regular file only: a FIFO, a device or a
    // folder is refused at once). A failure leaves the tree unusable: its
    // root's kind is -1. When the memory runs out, "No memory" is shown
    // through the host and the result is NoMemory.
    DocResult ReadFile(const std::string& path);
    // Reads the expression from the text of a ".quil" file; picture names are
    // taken relative to the folder of path. Failures as for ReadFile.
    DocResult ReadText(std::string text, const std::string& path);
    // The text Quil writes for the expression saved as path (picture names
    // relative to its folder); empty for a tree that cannot be written.
    std::string ExpressionText(const std::string& path);
    // Writes the file safely (a failure keeps the old file; only a regular
    // file or a new name is written, a link is followed) and clears the
    // modified flag. "No memory" is shown through the host as for ReadFile.
    DocResult WriteFile(const std::string& path);

    // Generate random: a new random expression takes the place of the old
    // one, which goes to the undo history. Marks the document modified.
    void Regenerate(const GenerationSettings& settings, RandomSource& random);

    // A copy of the tree at source (which may belong to another expression)
    // takes the place of the expression, which goes to the undo history.
    // Marks the document modified. When the copy cannot be had (NoMemory),
    // nothing changes.
    DocResult ReplaceExpression(const ExprNode* source);

    // Rebuilds an expression from an edited tree's labels. With no target it
    // is the document's own (and the document is marked modified); a target
    // (an undo snapshot) leaves the flag alone. Nothing changes on failure.
    DocResult ExpressionFromLabels(const LabelList& labels, CQuilExpression* target = nullptr);

    CUndoHistory& UndoHistory() { return m_undo; }
    // The newest entry of the undo history becomes the expression (the one
    // given up waits for Redo); false when there is none. The modified flag
    // stays as it is.
    bool Undo();
    // Takes back the last Undo while no new change came between; false when
    // there is nothing to take back. The modified flag stays as it is.
    bool Redo();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    // Owned, never null while the document lives.
    std::unique_ptr<CQuilExpression> m_pExpression;
    int m_bPictureResolution = 0;  // the view takes the source picture's size
    int m_bAntiAlias = 0;          // the view computes four samples per pixel
    int m_bOpenedByDrop = 0;       // read during a file drop; refreshed when the drop is done
    int PictureReady = 0;          // the picture view's calculation has completed
    int m_nCopyMarginMode = 0;     // margins of the last custom copy, offered again

protected:
    virtual void OnModifiedChanged(bool /*modified*/) {}

private:
    DocResult NoMemory();
    DocResult ReadArchive(StringArchive& archive);

    EngineHost& m_host;
    CUndoHistory m_undo;
    bool m_bModified = false;
};
