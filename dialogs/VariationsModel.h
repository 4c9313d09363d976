#pragma once
// CVariationsModel is the variations window without widgets: a 3 x 3 grid
// with one picture in the middle and variations of it around, the middles
// chosen before (to go back to), the strength, the mate, and the calculation
// jobs of the grid's pictures.
//
// Pictures are computed one after another, the middle first, each job on all
// cores. A computed variation that looks like the middle or another shown
// variation is replaced by a new one (bounded), so that every picture shown
// is worth a click. Every change of the grid abandons the running job at once (its abort
// flag is set and its late notices are told apart by their serial), so the
// window never waits for a calculation. Only Shutdown waits, bounded, for
// the job to end. User-interface thread only.

#include "engine/Mutation.h"
#include "engine/RandomSource.h"
#include "render/RenderRequest.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCalcBitmap;
class JobNotifier;
class Picture;
struct ExprNode;
struct GenerationSettings;
struct JobNotice;

constexpr int kVariationCells = 9;
constexpr int kMiddleCell = 4;
constexpr int kVariationsPerRound = kVariationCells - 1;
// Side of each picture of the grid, in pixels.
constexpr int kVariationSide = 168;
// Earlier middles kept to go back to; the oldest is dropped beyond it.
constexpr size_t kMaxEarlierMiddles = 24;
// A variation whose computed picture looks like the middle's or another
// shown one is drawn again, at most this many times per cell and round;
// then its cell stays empty.
constexpr int kMaxRedrawsPerCell = 4;
// Two pictures of the grid look alike below this mean difference of their
// channels (0 .. 255): too little to see at the cell's size.
constexpr double kAlikeMeanDifference = 3.0;

// The mean absolute difference of two pictures' channels (0 .. 255); pictures
// of different sizes differ by 255.
double MeanChannelDifference(const Picture& a, const Picture& b);

enum class CellState {
    Empty,      // no variation here (a round found fewer)
    Waiting,    // its job has not started yet
    Computing,  // its job runs
    Ready,      // the picture is complete
    Failed,     // the picture could not be computed
};

struct VariationPicture {
    std::shared_ptr<const CQuilExpression> expression;  // null for an empty cell
    std::shared_ptr<Picture> picture;                   // written by a job until Ready
    CellState state = CellState::Empty;
};

class CVariationsModel {
public:
    // Makes the notifier of one job; its notices come back to OnJobNotice.
    using NotifierFactory = std::function<std::shared_ptr<JobNotifier>(uint64_t serial)>;
    // What "PIC" reads at the given size (null: black).
    using SourcePicture = std::function<std::shared_ptr<const Picture>(int width, int height)>;

    struct Setup {
        const GenerationSettings* settings = nullptr;  // read at every round; must outlive the model
        uint32_t seed = 1;
        NotifierFactory notifier;
        SourcePicture source;
        PictureRenderer renderer = RenderReference;
        int side = kVariationSide;
    };

    explicit CVariationsModel(Setup setup);
    ~CVariationsModel();
    CVariationsModel(const CVariationsModel&) = delete;
    CVariationsModel& operator=(const CVariationsModel&) = delete;

    // A copy of the tree at root becomes the middle; the first round starts.
    // False when the tree cannot be copied.
    bool Start(const ExprNode* root);

    // Clicks. Each starts a new round (and abandons the running job).
    // The variation in cell becomes the middle, the middle an earlier one.
    // False for the middle itself or an empty cell.
    bool Choose(int cell);
    // Eight new variations of the same middle.
    void Again();
    // The last earlier middle becomes the middle again; false without one.
    bool Back();
    // Earlier middle index (0 the oldest) becomes the middle; the later ones are dropped.
    bool ReturnTo(size_t index);
    // Strength 1..3 (cut to the range); a change starts a new round.
    void SetStrength(int strength);
    // A copy of the mate's tree crosses with every variation from now on
    // (null: no mate); a new round starts.
    void SetMate(const ExprNode* mate, const std::string& name);

    // A job's notice; true when a picture of the grid changed.
    bool OnJobNotice(const JobNotice& notice, uint64_t serial);
    // Waits (bounded) for the running job to end; the model starts no more.
    void Shutdown();

    const VariationPicture& Cell(int cell) const { return m_cells[size_t(cell)]; }
    const VariationPicture& Middle() const { return m_cells[kMiddleCell]; }
    const std::vector<VariationPicture>& EarlierMiddles() const { return m_earlier; }
    int Strength() const { return m_nStrength; }
    bool HasMate() const { return m_pMate != nullptr; }
    const std::string& MateName() const { return m_strMateName; }
    // Variations the last round found and kept (8 unless its tries ran out
    // or too many looked alike).
    int VariationsFound() const { return m_nFound; }
    // Variations of this round drawn again because they looked alike.
    int Redraws() const { return m_nRedrawsTotal; }
    int PicturesReady() const;
    // The cell whose job runs, or -1.
    int ComputingCell() const { return m_nRunningCell; }
    // Serial of the running job (0: none); every started job gets a new one.
    uint64_t RunningSerial() const { return m_nRunningSerial; }
    // Jobs started since the model was made.
    int JobsStarted() const { return m_nJobsStarted; }

private:
    void NewRound();
    void AbandonJob();
    void StartNextJob();
    VariationPicture MakeCell(std::shared_ptr<const CQuilExpression> expression) const;
    // A computed variation that looks like a shown picture is drawn again or given up.
    void KeepOnlyDistinct(int cell);

    Setup m_setup;
    LcgRandomSource m_random;
    VariationPicture m_cells[kVariationCells];
    std::vector<VariationPicture> m_earlier;  // oldest first
    int m_nStrength = 2;
    std::unique_ptr<CQuilExpression> m_pMate;
    std::string m_strMateName;
    int m_nFound = 0;
    int m_nRedraws[kVariationCells] = {};
    int m_nRedrawsTotal = 0;

    std::shared_ptr<CCalcBitmap> m_pJob;
    int m_nRunningCell = -1;
    uint64_t m_nRunningSerial = 0;
    uint64_t m_nLastSerial = 0;
    int m_nJobsStarted = 0;
    bool m_bShutDown = false;
};
