#pragma once
// The batch dialog without widgets: its fields as text and how they are read
// into the settings, which controls are enabled in which state, and the
// preview sizes. CBatchDlg is the thin widget part over this.

#include "FieldExchange.h"

#include "batch/BatchSettings.h"

#include <QString>

// The controls' contents, in the order the fields are read.
struct BatchFieldTexts {
    QString quilDir;
    QString bmpDir;
    QString bmpExt;  // the selected type, "*.bmp"
    QString prefix;
    QString count;   // unsigned
    QString x;       // signed
    QString y;       // signed
    bool keepAspect = true;
    bool existingMode = false;
    bool quilCopy = false;
    QString offset;  // unsigned
    int mode = 0;
    bool antiAlias = false;
    bool sameName = false;
    bool noOverwrite = true;
    bool skipPlain = false;
};

enum class BatchField { None, Count, X, Y, Offset };

struct BatchFieldResult {
    BatchField field = BatchField::None;  // the field that did not read
    FieldError error = FieldError::None;
    bool Ok() const { return field == BatchField::None; }
    // "Please enter an integer." or "Please enter a positive integer."
    QString Message() const;
};

// Reads the fields in order into settings. Reading stops at the first number
// field that does not read: the fields before it are taken, it and those
// after it keep their values.
BatchFieldResult ReadBatchFields(const BatchFieldTexts& texts, BatchSettings& settings);
// The texts that show the settings.
BatchFieldTexts BatchFieldsOf(const BatchSettings& settings);

// Which controls are enabled. "keep aspect" is never touched.
struct BatchControlStates {
    bool settings = true;         // OK, Cancel, the mode radios, folders, type, size, margins, Create, prompt
    bool abort = false;
    bool prefixAndOffset = true;  // idle and (random mode or SameName clear)
    bool count = true;            // idle and random mode ("Skip plain pictures" too)
    bool sameName = false;        // idle and existing mode
};
BatchControlStates BatchControlStatesFor(bool idle, bool randomMode, bool sameName);

// The preview's size for each margins mode: the longer side 150 or 133, the other 100.
struct BatchPreviewSize {
    int width;
    int height;
};
BatchPreviewSize BatchPreviewSizeFor(int marginMode);
