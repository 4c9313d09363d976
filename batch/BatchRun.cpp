#include "BatchRun.h"

#include "BatchNaming.h"
#include "BatchTexts.h"
#include "PlainPicture.h"

#include "engine/EngineHost.h"
#include "engine/FileAccess.h"
#include "engine/Folders.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/production/ProductionRenderer.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// The engine's host as one picture of the run sees it. A file that names
// another source picture asks for it to be loaded; the run loads it at once
// instead of leaving the request to the program. Once the picture is
// prepared its source picture's path is pinned, so that its expression file
// names the picture it was computed with even when a later picture's file
// has named another one meanwhile.
class PictureEngineHost : public EngineHost {
public:
    explicit PictureEngineHost(EngineHost& program) : m_program(program) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        m_program.ShowMessage(text, caption, icon);
    }
    std::string SourcePicturePath() const override { return m_bPinned ? m_pinned : m_program.SourcePicturePath(); }
    void SetSourcePicturePath(const std::string& path) override { m_program.SetSourcePicturePath(path); }
    bool PictureLocked() const override { return m_program.PictureLocked(); }
    void SetPictureLoadPending(bool pending) override { m_bLoadPending = pending; }
    void EnsureSourcePicture() override { m_program.EnsureSourcePicture(); }

    void Pin()
    {
        m_pinned = m_program.SourcePicturePath();
        m_bPinned = true;
    }
    void Unpin() { m_bPinned = false; }

    bool m_bLoadPending = false;

private:
    EngineHost& m_program;
    std::string m_pinned;
    bool m_bPinned = false;
};

int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A name that exists in any form counts: only a name that is free is written without asking.
bool PathExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

// A finished picture and its expression file; an empty name is not written
// (the person said No to replacing it). Both are on the disk before either
// takes its name, and a name that was free at the check but is taken at the
// last step (another run wrote it meanwhile) is refused by that very step:
// then neither file is kept.
struct CBatchRun::PairWrite {
    std::shared_ptr<const Picture> picture;
    std::string bitmap, recipe;
    std::string quil, quilText;
    bool replaceBitmap = true, replaceQuil = true;

    bool bitmapFailed = false, quilFailed = false;
    std::string existing;  // the name found taken at the last step
    std::string reason;    // why a file failed

    void Save()
    {
        bitmapFailed = quilFailed = false;
        existing.clear();
        reason.clear();
        CSafeFileWriter pictureFile, textFile;
        if (!bitmap.empty()) {
            const int written = WritePictureFile(*picture, bitmap, pictureFile, &reason, recipe);
            if (written != kSaveOk) {
                bitmapFailed = true;
                if (reason.empty())
                    reason = SavePictureErrorText(written);
                return;
            }
        }
        if (!quil.empty() && !(textFile.Open(quil, &reason) && textFile.Write(quilText.data(), quilText.size()) &&
                               textFile.Finish(&reason))) {
            quilFailed = true;
            return;
        }
        bool exists = false;
        if (!bitmap.empty() && !pictureFile.Place(replaceBitmap, &reason, &exists)) {
            if (exists)
                existing = bitmap;
            bitmapFailed = !exists;
            return;
        }
        if (!quil.empty() && !textFile.Place(replaceQuil, &reason, &exists)) {
            // A picture that took a free name goes again with its expression file.
            if (!replaceBitmap)
                pictureFile.Unplace();
            if (exists)
                existing = quil;
            quilFailed = !exists;
        }
    }
};

namespace {

// Writes a finished picture's files on a worker. A job that is stopped
// before it begins writes nothing.
class CBatchSaveJob : public CThreadJob {
public:
    // Read by the owner once the job's end notice has arrived.
    CBatchRun::PairWrite m_write;

    int Run() override
    {
        if (m_bAbort.load(std::memory_order_relaxed)) {
            Notify(JobNotice::Aborted());
            return 0;
        }
        m_write.Save();
        Notify(JobNotice::Finished());
        return 1;
    }
};

constexpr unsigned kRandomSeedBits = 15;

// The seed of one picture's source: a run's seed and the picture's number
// mixed (the finaliser of SplitMix64) so that neighbouring numbers and seeds
// give unrelated streams.
uint32_t PictureSeed(uint32_t runSeed, uint32_t number)
{
    uint64_t z = (uint64_t(runSeed) << 32 | number) + 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return uint32_t((z ^ (z >> 31)) >> 32);
}
constexpr std::chrono::milliseconds kAbortWait(kStopWaits * kStopWaitMs);

}  // namespace

struct CBatchRun::Slot {
    explicit Slot(EngineHost& program) : host(program), expression(&host) {}

    PictureEngineHost host;
    CQuilExpression expression;
    std::shared_ptr<Picture> picture;  // XPixel x YPixel while a job renders into it
    std::shared_ptr<CThreadJob> job;   // the calculation, or the save that follows it
    std::shared_ptr<CBatchSaveJob> save;  // while the picture's files are written
    LcgRandomSource random;  // with seed or seedPerPicture
    unsigned number = 0;     // the picture in progress; 0: idle
    int regenerations = 0;   // plain pictures made again for this number
    uint64_t ticket = 0;     // the running job's; 0 when none counts
};

CBatchRun::CBatchRun(BatchSources& sources, BatchRunHost& host)
    : m_clock(SteadyMilliseconds), m_sources(sources), m_host(host)
{
}

CBatchRun::~CBatchRun()
{
    for (auto& slot : m_slots)
        if (slot->job && slot->job->IsRunning())
            StopJob(*slot->job);
}

bool CBatchRun::CheckStart(const BatchSettings& settings)
{
    if (unsigned(settings.XPixel) > unsigned(kMaxPictureSide) || unsigned(settings.YPixel) > unsigned(kMaxPictureSide)) {
        Message(FillMessage(kMsgMaxResolution, kMaxPictureSide), kCaptionQuil);
        return false;
    }
    if (settings.XPixel == 0 || settings.YPixel == 0) {
        Message(kMsgInvalidPixel, kCaptionQuil);
        return false;
    }
    if (settings.RandomMode() && settings.m_nPictureCount == 0) {
        Message(kMsgNoPictureCount, kCaptionQuil);
        return false;
    }
    // Folders that are written to and missing are made now: one that cannot
    // be is reported before any picture is computed for it.
    std::vector<std::string> folders;
    if (settings.RandomMode() || !settings.SameName)
        folders.push_back(settings.BmpDir);
    if (settings.RandomMode() && !settings.QuilCopy)
        folders.push_back(settings.QuilDir);
    for (const std::string& folder : folders) {
        std::string reason;
        if (!MakeFolders(folder, &reason)) {
            Message(FillMessage(kMsgCanNotCreateFolder, folder) + ": " + reason, kCaptionQuil);
            return false;
        }
    }
    return true;
}

bool CBatchRun::StartBatch(const BatchSettings& settings)
{
    if (m_bRunning || !CheckStart(settings))
        return false;
    m_settings = settings;
    m_nStartMs = m_clock();
    m_quilFiles.clear();
    if (!m_settings.RandomMode()) {
        m_quilFiles = CollectQuilFiles(m_settings.QuilDir);
        m_settings.m_nPictureCount = unsigned(std::min<size_t>(m_quilFiles.size(), UINT32_MAX));
        m_host.OnPictureCount(m_settings.m_nPictureCount);
        if (m_quilFiles.empty()) {
            Message(kMsgNoQuilFiles, kCaptionQUIL);
            return false;
        }
    }
    m_bAbortRequested = false;
    m_bFailed = false;
    m_nNext = 1;
    m_nLastNumber = m_settings.m_nPictureCount;
    m_nDone = 0;
    m_nWritten = 0;
    m_nPlainLeftOut = 0;
    m_nSaved = m_nKept = 0;
    m_nPictureNumber = 0;
    m_bRunning = true;
    m_bStarting = true;
    // New slots: a job that outlived an abort's wait holds its own picture and
    // tree, and nothing of this run may be shared with it.
    m_slots.clear();
    const unsigned jobs = std::clamp(unsigned(std::max(m_options.jobs, 1)), 1u, m_settings.m_nPictureCount);
    for (unsigned i = 0; i < jobs && m_nNext <= m_nLastNumber; ++i) {
        m_slots.push_back(std::make_unique<Slot>(m_sources.Engine()));
        HandOut(*m_slots.back());
    }
    m_bStarting = false;
    if (!AnyBusy()) {
        // The first picture could not be started: the run never began.
        m_bRunning = false;
        return false;
    }
    return true;
}

bool CBatchRun::HandOut(Slot& slot)
{
    if (m_nNext > m_nLastNumber) {
        slot.number = 0;
        m_host.OnNextBitmapName(std::string());
        return false;
    }
    const unsigned n = m_nNext++;
    if (!PreparePicture(slot, n) || !StartJob(slot)) {
        FailFrom(slot, n);
        return false;
    }
    return true;
}

bool CBatchRun::PreparePicture(Slot& slot, unsigned n)
{
    slot.number = n;
    slot.regenerations = 0;
    slot.ticket = 0;
    slot.host.Unpin();
    m_nPictureNumber = n;
    m_host.OnNextBitmapName(MakeBitmapName(m_settings, n, m_quilFiles));
    if (m_settings.RandomMode()) {
        if (m_options.seed) {
            slot.random.Seed(PictureSeed(*m_options.seed, m_settings.offset + n));
        } else if (m_options.seedPerPicture) {
            RandomSource& random = m_sources.Random();
            const int high = random.Next();
            slot.random.Seed((uint32_t(high) << kRandomSeedBits) | uint32_t(random.Next()));
        }
        if (!Generate(slot)) {
            // The first picture's failure is the start's, reported under the program's title.
            Message(kMsgCanNotCreateRandom, n == 1 ? kCaptionQuil : kCaptionQUIL);
            return false;
        }
    } else if (!ReadListed(slot, n)) {
        return false;
    }
    slot.host.Pin();
    return true;
}

bool CBatchRun::Generate(Slot& slot)
{
    RandomSource& random = m_options.seed || m_options.seedPerPicture ? slot.random : m_sources.Random();
    slot.expression.Reset();
    // Generation keeps every constant to the six decimals the file holds, so
    // the tree is the very expression its file describes.
    return slot.expression.GenerateRandom(m_sources.GenSettings(), random) == 1;
}

bool CBatchRun::ReadListed(Slot& slot, unsigned n)
{
    const std::string& path = m_quilFiles[n - 1].path;
    m_host.OnProcessingFile(path);
    slot.host.m_bLoadPending = false;
    // A file that has gone since the listing fails here like one that does not parse.
    StringArchive archive;
    if (!LoadFileArchive(path, archive) || !slot.expression.ReadExpression(archive)) {
        Message(FillMessage(kMsgErrorLoadingFile, path), kCaptionQUIL);
        return false;
    }
    if (slot.host.m_bLoadPending) {
        slot.host.m_bLoadPending = false;
        m_sources.LoadSourcePicture();
    }
    return true;
}

bool CBatchRun::StartJob(Slot& slot)
{
    if (!slot.picture) {
        slot.picture = std::make_shared<Picture>();
        if (!slot.picture->Create(m_settings.XPixel, m_settings.YPixel)) {
            slot.picture.reset();
            Message(kMsgNoMemory, kCaptionQUIL);
            return false;
        }
    }
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = slot.expression.GetRoot();
    job->m_pTarget = slot.picture;
    if (slot.expression.m_bUsesPicture)
        job->m_pSourcePicture = m_sources.SourcePicture();
    job->m_bAntiAlias = m_settings.AntiAlias;
    job->m_pRenderer = m_options.renderer ? m_options.renderer : static_cast<PictureRenderer>(RenderProduction);
    job->m_nThreads = m_options.threads;
    slot.job = job;
    slot.save.reset();
    slot.ticket = ++m_nLastTicket;
    if (!job->Start(m_host.MakeNotifier(slot.ticket))) {
        slot.ticket = 0;
        Message(kMsgNoBatchThread, kCaptionQUIL);
        return false;
    }
    return true;
}

void CBatchRun::OnJobNotice(uint64_t ticket, const JobNotice& notice)
{
    Slot* slot = m_bRunning ? SlotOf(ticket) : nullptr;
    if (!slot)
        return;  // a job of an ended run, or one that was stopped
    switch (notice.kind) {
    case JobNotice::Kind::Progress:
        m_host.OnColumnsDone(notice.columns);
        return;
    case JobNotice::Kind::Aborted:
        EndNow(BatchEnd::Aborted);
        return;
    case JobNotice::Kind::Finished:
        slot->ticket = 0;
        if (slot->save)
            FinishSave(*slot);
        else
            FinishPicture(*slot);
        return;
    }
}

void CBatchRun::FinishPicture(Slot& slot)
{
    if (MakeAgainIfPlain(slot))
        return;
    const unsigned n = slot.number;
    if (!CCalcBitmap::AddMarginsForMode(*slot.picture, m_settings.Mode)) {
        Message(kMsgNoMemory, kCaptionQUIL);
        EndNow(BatchEnd::Failed);
        return;
    }
    ++m_nDone;
    BatchPictureDone done;
    done.number = n;
    done.done = m_nDone;
    done.total = m_settings.m_nPictureCount;
    done.plainLeftOut = m_nPlainLeftOut;
    done.progressText = BatchProgressText(done.done, done.total, done.plainLeftOut);
    const int64_t elapsed = m_clock() - m_nStartMs;
    done.estimateText = BatchEstimateText(done.done, done.total, uint64_t(std::max<int64_t>(elapsed, 0)),
                                          uint64_t(std::max<int64_t>(m_clock() - m_nStartMs, 0)));
    m_host.OnPictureDone(done, *slot.picture);
    if (m_options.saveOnWorker) {
        StartSave(slot, n);
        return;
    }
    if (SaveAndWrite(slot, n)) {
        m_host.OnFilesWritten(++m_nWritten);
        NextPicture(slot);
    }
}

void CBatchRun::NextPicture(Slot& slot)
{
    slot.number = 0;
    if (!HandOut(slot))
        EndIfIdle();
}

bool CBatchRun::MakeAgainIfPlain(Slot& slot)
{
    if (!m_settings.SkipPlain || !m_settings.RandomMode() || slot.regenerations >= kMaxPlainRetries ||
        !IsPlainPicture(*slot.picture))
        return false;
    ++slot.regenerations;
    ++m_nPlainLeftOut;
    slot.host.Unpin();
    if (!Generate(slot)) {
        Message(kMsgCanNotCreateRandom, kCaptionQUIL);
        FailFrom(slot, slot.number);
        return true;
    }
    slot.host.Pin();
    if (!StartJob(slot))
        FailFrom(slot, slot.number);
    return true;
}

bool CBatchRun::SaveAndWrite(Slot& slot, unsigned n)
{
    PairWrite write;
    if (!PrepareSave(slot, n, write))
        return false;
    write.Save();
    return SaveEnded(write);
}

// Asks about both names first (a Cancel writes nothing); false when the run ended.
bool CBatchRun::PrepareSave(Slot& slot, unsigned n, PairWrite& write)
{
    write.picture = slot.picture;
    const std::string bitmap = MakeBitmapName(m_settings, n, m_quilFiles);
    Check check = CheckOverwrite(bitmap, &write.replaceBitmap);
    if (check == Check::Cancel)
        return false;
    if (check == Check::Proceed) {
        write.bitmap = bitmap;
        write.recipe = RecipeOf(slot, bitmap);
    } else {
        ++m_nKept;
    }
    if (WritesQuilFiles(m_settings)) {
        const std::string quil = MakeQuilCopyName(m_settings, n, m_quilFiles);
        check = CheckOverwrite(quil, &write.replaceQuil);
        if (check == Check::Cancel)
            return false;
        if (check == Check::Proceed) {
            write.quil = quil;
            if (!ExpressionFileText(slot, quil, write.quilText)) {
                Message(FillMessage(kMsgCanNotOpenQuilFile, quil), kCaptionQUIL);
                EndNow(BatchEnd::Failed);
                return false;
            }
        }
    }
    // Margins have grown the buffer: the next picture gets one of XPixel x
    // YPixel (the write holds this one).
    if (m_settings.Mode != MARGIN_NORMAL)
        slot.picture.reset();
    return true;
}

// Reports a failed write; a name taken meanwhile is asked about as any
// existing file. False when the run ended.
bool CBatchRun::SaveEnded(PairWrite& write)
{
    if (!write.existing.empty()) {
        const std::string name = write.existing;
        bool replace = false;
        switch (CheckOverwrite(name, &replace)) {
        case Check::Cancel:
            return false;
        case Check::Skip:
            if (!write.bitmap.empty())
                ++m_nKept;
            return true;
        case Check::Proceed:
            write.replaceBitmap = write.replaceQuil = true;
            write.Save();
            break;
        }
    }
    if (write.bitmapFailed) {
        Message(SaveFailureMessage(write.bitmap, kSaveCommitFailed, write.reason), kCaptionQUIL);
    } else if (write.quilFailed) {
        Message(FillMessage(kMsgCanNotOpenQuilFile, write.quil) + "\n(" + write.reason + ")", kCaptionQUIL);
    } else {
        if (!write.bitmap.empty())
            ++m_nSaved;
        return true;
    }
    EndNow(BatchEnd::Failed);
    return false;
}

// The expression file's text, its picture name relative to the file's folder.
bool CBatchRun::ExpressionFileText(Slot& slot, const std::string& quil, std::string& text)
{
    StringArchive archive({}, quil);
    if (!slot.expression.WriteExpression(archive))
        return false;
    text = archive.Output();
    return true;
}

// Hands the writing to a job; FinishSave goes on when it ends.
void CBatchRun::StartSave(Slot& slot, unsigned n)
{
    auto save = std::make_shared<CBatchSaveJob>();
    if (!PrepareSave(slot, n, save->m_write))
        return;
    slot.job = save;
    slot.save = save;
    slot.ticket = ++m_nLastTicket;
    if (!save->Start(m_host.MakeNotifier(slot.ticket))) {
        slot.ticket = 0;
        slot.save.reset();
        Message(kMsgNoBatchThread, kCaptionQUIL);
        EndNow(BatchEnd::Failed);
    }
}

void CBatchRun::FinishSave(Slot& slot)
{
    const std::shared_ptr<CBatchSaveJob> save = std::move(slot.save);
    if (SaveEnded(save->m_write)) {
        m_host.OnFilesWritten(++m_nWritten);
        NextPicture(slot);
    }
}

std::string CBatchRun::RecipeOf(Slot& slot, const std::string& bitmap)
{
    return m_options.embedRecipe ? slot.expression.RecipeText(bitmap) : std::string();
}

CBatchRun::Check CBatchRun::CheckOverwrite(const std::string& path, bool* replace)
{
    // A name that is free now may be taken before the write: only a file
    // that may be replaced is written by a step that replaces.
    *replace = true;
    if (!m_settings.NoOverwrite)
        return Check::Proceed;
    if (!PathExists(path)) {
        *replace = false;
        return Check::Proceed;
    }
    switch (m_host.AskOverwrite(path)) {
    case OverwriteAnswer::Yes:
        return Check::Proceed;
    case OverwriteAnswer::YesToAll:
        m_settings.NoOverwrite = 0;
        return Check::Proceed;
    case OverwriteAnswer::No:
        return Check::Skip;
    case OverwriteAnswer::Cancel:
        break;
    }
    m_bAbortRequested = true;
    EndNow(BatchEnd::Cancelled);
    return Check::Cancel;
}

void CBatchRun::FailFrom(Slot& slot, unsigned n)
{
    // Pictures before n are finished and saved as usual; none from n on.
    m_bFailed = true;
    m_nLastNumber = std::min(m_nLastNumber, n - 1);
    slot.number = 0;
    slot.ticket = 0;
    for (auto& other : m_slots) {
        if (other->number > m_nLastNumber) {
            if (other->job)
                other->job->SetAbort(1);
            other->number = 0;
            other->ticket = 0;
        }
    }
    EndIfIdle();
}

void CBatchRun::EndIfIdle()
{
    if (m_bRunning && !m_bStarting && !AnyBusy()) {
        m_bRunning = false;
        m_host.OnRunEnded(m_bFailed ? BatchEnd::Failed : BatchEnd::Complete);
    }
}

void CBatchRun::EndNow(BatchEnd why)
{
    if (why != BatchEnd::Complete)
        m_bAbortRequested = true;
    for (auto& slot : m_slots) {
        if (slot->job && slot->ticket != 0)
            slot->job->SetAbort(1);
        slot->number = 0;
        slot->ticket = 0;
    }
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_host.OnRunEnded(why);
}

void CBatchRun::AbortBatch()
{
    m_bAbortRequested = true;
    std::vector<std::shared_ptr<CThreadJob>> jobs;
    for (auto& slot : m_slots)
        if (slot->job && slot->ticket != 0) {
            slot->job->SetAbort(1);
            jobs.push_back(slot->job);
        }
    EndNow(BatchEnd::Aborted);
    m_nPictureNumber = 0;
    const auto deadline = std::chrono::steady_clock::now() + kAbortWait;
    for (auto& job : jobs) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        job->WaitUntilEnded(std::max(left, std::chrono::milliseconds(0)));
    }
}

bool CBatchRun::WaitForJobs(std::chrono::milliseconds limit)
{
    bool ended = true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (auto& slot : m_slots) {
        if (!slot->job)
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        ended = slot->job->WaitUntilEnded(std::max(left, std::chrono::milliseconds(0))) && ended;
    }
    return ended;
}

uint64_t CBatchRun::PicturesSaved() const
{
    // A worker's save that ended after the run did (Ctrl+C lets one finish)
    // has no end notice to be counted by: it is counted once it has ended.
    uint64_t saved = m_nSaved;
    for (const auto& slot : m_slots) {
        const CBatchSaveJob* save = slot->save.get();
        const PairWrite* write = save ? &save->m_write : nullptr;
        if (write && !save->IsRunning() && save->m_nResult == 1 && !write->bitmap.empty() && !write->bitmapFailed &&
            !write->quilFailed && write->existing.empty())
            ++saved;
    }
    return saved;
}

void CBatchRun::Message(const std::string& text, const char* caption) { m_host.ShowBatchMessage(text, caption); }

CBatchRun::Slot* CBatchRun::SlotOf(uint64_t ticket)
{
    if (ticket == 0)
        return nullptr;
    for (auto& slot : m_slots)
        if (slot->ticket == ticket && slot->number != 0)
            return slot.get();
    return nullptr;
}

bool CBatchRun::AnyBusy() const
{
    return std::any_of(m_slots.begin(), m_slots.end(), [](const auto& slot) { return slot->number != 0; });
}
