#pragma once
// CRandomSampleRow: a row of small pictures, each of a random tree generated
// under the settings it is handed, so that the function creation dialog shows
// what its numbers make. The trees come from a random source of the row's
// own; the pictures are computed on worker threads by the production
// renderer. Clicking a picture hands its tree to the host, which opens it as a
// new document. The row changes no settings and no document itself.

#include "engine/EngineHost.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class CCalcBitmap;
class Picture;
class QToolButton;
class QtNotifyTarget;
struct GenerationSettings;

// Side of a sample picture, in pixels, and how many the row shows.
constexpr int kSampleSide = 96;
constexpr int kSampleCount = 6;
// The "&Sample" button and the pictures (IDC_FIRST_SAMPLE + 0 .. kSampleCount - 1).
constexpr int IDC_SAMPLE = 2080;
constexpr int IDC_FIRST_SAMPLE = 2081;

// What the sample row needs of the program around it.
class RandomSampleHost {
public:
    virtual ~RandomSampleHost() = default;
    // Opens a copy of the tree as a new untitled document, as a new random
    // document is opened (marked modified).
    virtual void OpenSampleAsNewDocument(const ExprNode* root) = 0;
    // What "PIC" reads in a sample: the source picture over side x side
    // pixels; null reads black.
    virtual std::shared_ptr<const Picture> SamplePicture(int side) = 0;
};

class CRandomSampleRow : public QWidget {
    Q_OBJECT
public:
    // seed starts the row's own random source: drawing samples never takes
    // values from the program's source, so the trees of New Random and
    // Generate Random are the same with or without a look at the samples.
    CRandomSampleRow(RandomSampleHost& host, uint32_t seed, QWidget* parent = nullptr);
    // Stops the pictures still being computed.
    ~CRandomSampleRow() override;

    // Replaces the samples by new trees generated under settings and starts their pictures.
    void DrawSamples(const GenerationSettings& settings);
    // Drops the samples (a field of the dialog did not read).
    void Clear();

    int SampleCount() const { return int(m_samples.size()); }
    // The tree of sample i, or none while there are no samples.
    const CQuilExpression* SampleExpression(int i) const;
    // The picture of sample i once it is complete, else none.
    const Picture* SamplePicture(int i) const;
    bool IsCalculating() const;
    QToolButton* Tile(int i) const { return m_tiles[i]; }

signals:
    // Every sample's picture is complete.
    void SamplesReady();

private:
    struct Sample {
        std::unique_ptr<CQuilExpression> expression;
        std::shared_ptr<Picture> picture;
        std::shared_ptr<CCalcBitmap> job;
        quint64 serial = 0;
        bool ready = false;
    };

    void StopJobs();
    void StartPicture(Sample& sample);
    void OnJobNotice(quint64 serial);
    void ShowTile(int i);
    void OnTileClicked(int i);

    RandomSampleHost& m_host;
    LcgRandomSource m_random;
    // The samples' trees warn of nothing (a "PIC" without a picture reads black here).
    SilentEngineHost m_engineHost;
    std::vector<Sample> m_samples;
    // Jobs of replaced samples that were still running when told to stop.
    std::vector<std::shared_ptr<CCalcBitmap>> m_stopping;
    std::vector<QToolButton*> m_tiles;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    quint64 m_nSerial = 0;
};
