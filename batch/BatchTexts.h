#pragma once
// What a batch run tells the person: its messages, the progress text and the
// estimate of the time left. The number formats take "%d" placeholders,
// filled in order with 64-bit numbers (no printf type to get wrong).

#include <cstdint>
#include <initializer_list>
#include <string>

inline constexpr const char* kBatchTitle = "Batch creation";
inline constexpr const char* kMsgCanNotCreateRandom = "Can not create random expression";
inline constexpr const char* kMsgNoQuilFiles = "No Quil files in directory";
inline constexpr const char* kMsgErrorLoadingFile = "Error loading file \"%s\"";
inline constexpr const char* kMsgCanNotOpenQuilFile = "Can not open quil file \"%s\" for writing";
// A run of no pictures in random mode is refused (instead of dividing by its count).
inline constexpr const char* kMsgNoPictureCount = "The number of pictures must be at least 1.";
inline constexpr const char* kMsgNoBatchThread = "No thread";
// A side of 0 gives no picture to save.
inline constexpr const char* kMsgInvalidPixel = "Invalid value for pixel";

inline constexpr const char* kFmtPicturesReady = "%d pictures of %d ready (%d%%)";
inline constexpr const char* kFmtPlainLeftOut = ", %d plain left out";
inline constexpr const char* kTextNoPicturesReady = "0 pictures ready";
inline constexpr const char* kFmtDoneIn = "done in %d minutes %d seconds";
inline constexpr const char* kFmtSecondsRemaining = "%d seconds remaining";
inline constexpr const char* kFmtMinutesRemaining = "%d minutes %d seconds remaining";

// "1 picture", "2 pictures": a count with the word that agrees with it.
std::string CountText(uint64_t count, const char* singular, const char* plural);

// Replaces each "%d" with the next number and "%%" with "%".
std::string FormatCounts(const char* format, std::initializer_list<long long> numbers);

// "3 pictures of 7 ready (42%)", with ", 2 plain left out" when plain
// pictures were made again. total 0 gives 0 %.
std::string BatchProgressText(uint64_t done, uint64_t total, uint64_t plainLeftOut);

// The time left after done of total pictures took elapsedMs: R = (total -
// done) x elapsedMs / (done x 1000) whole seconds, in 64 bits. R = 0 says
// "done in" with the whole seconds of nowElapsedMs (a fresh reading); R up
// to 60 in seconds, above in minutes and seconds.
std::string BatchEstimateText(uint64_t done, uint64_t total, uint64_t elapsedMs, uint64_t nowElapsedMs);
