#pragma once
// CBatchRun makes the pictures of a batch run. For each picture it prepares
// the expression (generated at random, or read from the next expression file),
// starts the calculation job and, when the job reports the picture finished,
// adds the margins, saves the picture, writes the expression file and goes on
// with the next number. The run is a chain of job completions handled on the
// owner's thread (OnJobNotice), never a loop that waits for a picture: the
// batch dialog is fed the jobs' queued notices, quil-cli drains its own queue.
//
// Several pictures may be computed at once (Options::jobs); the dialog
// computes one. With Options::saveOnWorker the files of a finished picture are
// written by a job of their own, so that a slow disk holds up only that slot.
// Numbers are handed out in order, so the names, and with
// Options::seedPerPicture the pictures too, do not depend on how many run at
// once; with Options::seed a picture depends on its number alone, so that
// runs over parts of a range of numbers add up to one run over all of it.
// What the run needs of the program comes through BatchSources, what it tells
// the person through BatchRunHost. Owner's thread only.

#include "BatchSettings.h"
#include "QuilFileList.h"

#include "render/RenderRequest.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class EngineHost;
class JobNotifier;
class Picture;
class RandomSource;
struct GenerationSettings;
struct JobNotice;

// The program's state a run reads: generation settings, the random source,
// the engine's host (messages, the source picture's path) and the source picture.
class BatchSources {
public:
    virtual ~BatchSources() = default;
    virtual const GenerationSettings& GenSettings() = 0;
    virtual RandomSource& Random() = 0;
    virtual EngineHost& Engine() = 0;
    // The source picture at its loaded size (black when none is loaded).
    virtual std::shared_ptr<const Picture> SourcePicture() = 0;
    // Loads the picture that Engine().SourcePicturePath() names: an expression
    // file just read named another one. A failure is reported by the loader.
    virtual void LoadSourcePicture() = 0;
};

enum class OverwriteAnswer { Yes, YesToAll, No, Cancel };
enum class BatchEnd {
    Complete,   // every picture made
    Failed,     // a failure was reported; the pictures saved before it stay
    Cancelled,  // "Cancel" in the overwrite prompt
    Aborted,    // AbortBatch, or a job that ended aborted
};

struct BatchPictureDone {
    unsigned number = 0;     // the picture's number n
    uint64_t done = 0;       // pictures finished in this run, this one included
    uint64_t total = 0;
    uint64_t plainLeftOut = 0;
    std::string progressText;  // "3 pictures of 7 ready (42%)"
    std::string estimateText;  // "8 minutes 15 seconds remaining"
};

class BatchRunHost {
public:
    virtual ~BatchRunHost() = default;
    virtual void ShowBatchMessage(const std::string& text, const std::string& caption) = 0;
    // Asked only while NoOverwrite is set and the file exists.
    virtual OverwriteAnswer AskOverwrite(const std::string& path) = 0;
    // Delivers a job's notices in order to OnJobNotice(ticket, ...) on the owner's thread.
    virtual std::shared_ptr<JobNotifier> MakeNotifier(uint64_t ticket) = 0;

    // Existing mode: the number of files found (before "No Quil files in directory").
    virtual void OnPictureCount(unsigned /*count*/) {}
    // Existing mode: the expression file being read.
    virtual void OnProcessingFile(const std::string& /*path*/) {}
    // The picture file of the picture just started; empty after the last.
    virtual void OnNextBitmapName(const std::string& /*path*/) {}
    virtual void OnColumnsDone(int /*columns*/) {}
    // A picture is finished (margins added), before it is saved.
    virtual void OnPictureDone(const BatchPictureDone& /*done*/, const Picture& /*picture*/) {}
    // A finished picture's files are written (or skipped as the person
    // answered); written counts those of this run.
    virtual void OnFilesWritten(uint64_t /*written*/) {}
    // The run has ended; not called when StartBatch refuses to start.
    virtual void OnRunEnded(BatchEnd /*why*/) {}
};

class CBatchRun {
public:
    struct Options {
        int jobs = 1;     // pictures computed at once
        int threads = 0;  // renderer threads per picture; 0: one per core
        // Each picture gets a random source of its own, seeded from two draws
        // of BatchSources::Random() when it is handed out.
        bool seedPerPicture = false;
        // Picture number offset + n draws from a source seeded from this seed
        // and that number alone (retries of plain pictures included), not
        // from BatchSources::Random(); whatever the count, the offset or the
        // jobs, a number gives the same expression.
        std::optional<uint32_t> seed;
        // Each picture carries its expression's ".quil" text in its metadata.
        bool embedRecipe = true;
        // A finished picture and its expression file are written by a worker
        // of their own, while the other pictures go on computing; the slot is
        // handed the next number once both are written. Off: written on the
        // owner's thread before the run goes on.
        bool saveOnWorker = false;
        PictureRenderer renderer = nullptr;  // null: the production renderer
    };

    CBatchRun(BatchSources& sources, BatchRunHost& host);
    // Stops running jobs (bounded wait).
    ~CBatchRun();
    CBatchRun(const CBatchRun&) = delete;
    CBatchRun& operator=(const CBatchRun&) = delete;

    // Checks the settings, collects the files (existing mode), prepares the
    // first pictures and starts their jobs. False, after its message, when the
    // run does not start.
    bool StartBatch(const BatchSettings& settings);
    // A job's notice, with the ticket its notifier was made for.
    void OnJobNotice(uint64_t ticket, const JobNotice& notice);
    // Stops the jobs, waits for them at most 1.5 s in all and ends the run; the
    // pictures in progress are neither saved nor written.
    void AbortBatch();
    // Waits up to limit for stopped jobs' workers to end (before a program exits).
    bool WaitForJobs(std::chrono::milliseconds limit);

    bool IsRunning() const { return m_bRunning; }
    // The number of the picture last started; 0 after an abort.
    unsigned PictureNumber() const { return m_nPictureNumber; }
    unsigned PictureCount() const { return m_settings.m_nPictureCount; }
    uint64_t PicturesDone() const { return m_nDone; }
    uint64_t PlainLeftOut() const { return m_nPlainLeftOut; }
    // Pictures written, and pictures whose file existed and was kept.
    uint64_t PicturesSaved() const;
    uint64_t PicturesKept() const { return m_nKept; }
    // The settings of the run; "Yes to All" clears NoOverwrite here.
    const BatchSettings& Settings() const { return m_settings; }
    const std::vector<QuilFileEntry>& QuilFiles() const { return m_quilFiles; }

    Options m_options;
    // Milliseconds of a steady clock (tests set their own).
    std::function<int64_t()> m_clock;

    // A picture's files, written together (BatchRun.cpp).
    struct PairWrite;

private:
    struct Slot;
    enum class Check { Proceed, Skip, Cancel };

    bool CheckStart(const BatchSettings& settings);
    bool HandOut(Slot& slot);
    bool PreparePicture(Slot& slot, unsigned n);
    bool Generate(Slot& slot);
    bool ReadListed(Slot& slot, unsigned n);
    bool StartJob(Slot& slot);
    void FinishPicture(Slot& slot);
    bool MakeAgainIfPlain(Slot& slot);
    bool SaveAndWrite(Slot& slot, unsigned n);
    bool PrepareSave(Slot& slot, unsigned n, PairWrite& write);
    bool SaveEnded(PairWrite& write);
    void StartSave(Slot& slot, unsigned n);
    void FinishSave(Slot& slot);
    bool ExpressionFileText(Slot& slot, const std::string& quil, std::string& text);
    void NextPicture(Slot& slot);
    Check CheckOverwrite(const std::string& path, bool* replace);
    std::string RecipeOf(Slot& slot, const std::string& bitmap);
    void FailFrom(Slot& slot, unsigned n);
    void EndNow(BatchEnd why);
    void EndIfIdle();
    void Message(const std::string& text, const char* caption);
    Slot* SlotOf(uint64_t ticket);
    bool AnyBusy() const;

    BatchSources& m_sources;
    BatchRunHost& m_host;
    BatchSettings m_settings;
    std::vector<QuilFileEntry> m_quilFiles;
    std::vector<std::unique_ptr<Slot>> m_slots;
    bool m_bRunning = false;
    bool m_bStarting = false;  // StartBatch reports its own refusal
    bool m_bAbortRequested = false;
    bool m_bFailed = false;
    unsigned m_nPictureNumber = 0;
    unsigned m_nNext = 1;       // next number to hand out
    unsigned m_nLastNumber = 0; // no number above it is handed out
    uint64_t m_nDone = 0;
    uint64_t m_nWritten = 0;  // pictures whose files are written
    uint64_t m_nPlainLeftOut = 0;
    uint64_t m_nSaved = 0;
    uint64_t m_nKept = 0;
    uint64_t m_nLastTicket = 0;
    int64_t m_nStartMs = 0;
};
