#pragma once
// Runs a compiled plan over a request's pixel grid: the line programs, then
// the main program block by block on the worker threads. Internal to the
// production renderer: RenderProduction and the thumbnails use it.

#include "Kernels.h"
#include "LibraryStats.h"
#include "Program.h"
#include "ProductionOptions.h"

#include "render/RenderRequest.h"

#include <cstddef>
#include <cstdint>

namespace production {

// The line programs' tables: slot k of sample column c at
// x[k][c * layout->numDx + i] for the i-th distinct x offset; rows likewise.
struct LineTables {
    const double* const* x = nullptr;
    const double* const* y = nullptr;
    const SampleLayout* layout = nullptr;
    int width = 0, height = 0;
};

// Takes the line tables and the channel bytes of each main block of a
// program that stores bytes, instead of the picture's pixels.
class BlockOutput {
public:
    virtual ~BlockOutput() = default;
    // Called once, on one worker, when the line tables are complete and
    // before any main block (not at all for an empty grid or an abort).
    virtual void StoreLines(const LineTables& tables) = 0;
    // Byte slot s of the block's p-th pixel is bytes[s * stride + p]. Called
    // by the worker that computed the block, while others store other blocks.
    virtual void StoreBlock(const BlockShape& shape, const uint8_t* bytes, size_t stride) = 0;
};

// Returns 1 when every block was computed, 0 on abort. Without output the
// main program's outputs become the target's pixels; with it, its bytes go
// to output and the target is not written. May throw std::bad_alloc.
int RenderPlan(const RenderRequest& request, const ProductionOptions& options, const CompiledPlan& plan,
               LibraryStats* stats, BlockOutput* output);

}  // namespace production
