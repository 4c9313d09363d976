#include "DocumentCore.h"

#include "engine/FileAccess.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <new>
#include <utility>

namespace {
// A tree the text writer refuses (a node of no known kind).
constexpr const char* kReasonNotWritable = "The expression cannot be written as text.";
}  // namespace

CDocumentCore::CDocumentCore(EngineHost& host) : m_host(host)
{
    m_pExpression = std::make_unique<CQuilExpression>(&m_host);
    m_pExpression->Reset();
}

CDocumentCore::~CDocumentCore() = default;

void CDocumentCore::MakeLogo()
{
    m_pExpression->Reset();
    m_pExpression->SetDefault();
}

DocResult CDocumentCore::MakeRandom(const GenerationSettings& settings, RandomSource& random)
{
    m_pExpression->Reset();
    m_pExpression->GenerateRandom(settings, random);
    SetModifiedFlag();
    return {};
}

DocResult CDocumentCore::MakeFromBranch(const ExprNode* branch)
{
    if (!branch || !m_pExpression->CopyFrom(branch)) {
        m_pExpression->Reset();
        return {DocFailure::NoMemory, {}};
    }
    m_pExpression->UpdateUsesPicture();
    SetModifiedFlag();
    return {};
}

DocResult CDocumentCore::ReadFile(const std::string& path)
{
    try {
        m_pExpression->Reset();
        StringArchive archive;
        std::string reason;
        if (!LoadFileArchive(path, archive, &reason))
            return {DocFailure::CannotRead, reason};
        return ReadArchive(archive);
    } catch (const std::bad_alloc&) {
        return NoMemory();
    }
}

DocResult CDocumentCore::ReadText(std::string text, const std::string& path)
{
    try {
        m_pExpression->Reset();
        StringArchive archive(std::move(text), path);
        return ReadArchive(archive);
    } catch (const std::bad_alloc&) {
        return NoMemory();
    }
}

DocResult CDocumentCore::ReadArchive(StringArchive& archive)
{
    if (!m_pExpression->ReadExpression(archive)) {
        m_pExpression->GetRoot()->nKind = -1;
        return {DocFailure::NotAnExpression, {}};
    }
    return {};
}

DocResult CDocumentCore::NoMemory()
{
    // The tree is left unusable, as after a read that failed.
    if (ExprNode* root = m_pExpression->GetRoot())
        root->nKind = -1;
    m_host.ShowMessage(kMsgNoMemory, kCaptionQuil, MessageIcon::Warning);
    return {DocFailure::NoMemory, {}};
}

std::string CDocumentCore::ExpressionText(const std::string& path)
{
    StringArchive archive({}, path);
    if (!m_pExpression->WriteExpression(archive))
        return {};
    return archive.Output();
}

DocResult CDocumentCore::WriteFile(const std::string& path)
{
    try {
        const std::string text = ExpressionText(path);
        std::string reason;
        if (text.empty())
            return {DocFailure::CannotWrite, kReasonNotWritable};
        if (!SaveFileSafely(path, text, &reason))
            return {DocFailure::CannotWrite, reason};
    } catch (const std::bad_alloc&) {
        m_host.ShowMessage(kMsgNoMemory, kCaptionQuil, MessageIcon::Warning);
        return {DocFailure::NoMemory, {}};
    }
    SetModifiedFlag(false);
    return {};
}

void CDocumentCore::Regenerate(const GenerationSettings& settings, RandomSource& random)
{
    std::unique_ptr<CQuilExpression> old = std::move(m_pExpression);
    m_pExpression = std::make_unique<CQuilExpression>(&m_host);
    m_pExpression->Reset();
    m_pExpression->GenerateRandom(settings, random);
    // The tree view's items still point into the old expression until its
    // next rebuild; the history keeps it alive until then and beyond.
    m_undo.Push(std::move(old));
    SetModifiedFlag();
}

DocResult CDocumentCore::ReplaceExpression(const ExprNode* source)
{
    auto replacement = std::make_unique<CQuilExpression>(&m_host);
    if (!source || !replacement->CopyFrom(source))
        return {DocFailure::NoMemory, {}};
    replacement->UpdateUsesPicture();
    // As with Regenerate, the tree view's items point into the old tree until its next rebuild.
    m_undo.Push(std::exchange(m_pExpression, std::move(replacement)));
    SetModifiedFlag();
    return {};
}

DocResult CDocumentCore::ExpressionFromLabels(const LabelList& labels, CQuilExpression* target)
{
    CQuilExpression temporary(&m_host);
    if (!BuildExpressionFromLabels(labels, temporary))
        return {DocFailure::NotAccepted, {}};
    if (!target) {
        target = m_pExpression.get();
        SetModifiedFlag();
    }
    if (!target->CopyFrom(temporary.GetRoot()))
        return {DocFailure::NoMemory, {}};
    target->m_bUsesPicture = temporary.m_bUsesPicture;
    return {};
}

bool CDocumentCore::Undo()
{
    std::unique_ptr<CQuilExpression> previous = m_undo.Pop();
    if (!previous)
        return false;
    m_undo.PushRedo(std::exchange(m_pExpression, std::move(previous)));
    return true;
}

bool CDocumentCore::Redo()
{
    std::unique_ptr<CQuilExpression> next = m_undo.PopRedo();
    if (!next)
        return false;
    m_undo.Push(std::exchange(m_pExpression, std::move(next)), true);
    return true;
}

void CDocumentCore::SetModifiedFlag(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    OnModifiedChanged(modified);
}
