#pragma once
// Which views the tree and display dialogs change, and the radio buttons
// that both dialogs show for it.

enum ApplyScope : int {
    APPLY_THIS_VIEW = 0,      // the active document's views only
    APPLY_THIS_AND_NEXT = 1,  // those and every view opened later (the defaults change)
    APPLY_ALL_VIEWS = 2,      // every open view and every later one
};
constexpr int kNumApplyScopes = 3;

constexpr int IDC_APPLY_THIS_VIEW = 2051;
constexpr int IDC_APPLY_THIS_AND_NEXT = 2052;
constexpr int IDC_APPLY_ALL_VIEWS = 2053;
inline constexpr int kApplyIds[kNumApplyScopes] = {IDC_APPLY_THIS_VIEW, IDC_APPLY_THIS_AND_NEXT, IDC_APPLY_ALL_VIEWS};
inline constexpr const char* kApplyLabels[kNumApplyScopes] = {"this view only", "this and next views", "all views"};
