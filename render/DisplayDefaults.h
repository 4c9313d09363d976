#pragma once
// Sizes of the pictures on screen before any setting says otherwise: the
// picture view's sides and the tree thumbnails' side. A custom save or a
// rendering from the command line without a size takes the display size.

constexpr int kDefaultDisplaySide = 300;
constexpr int kDefaultThumbSide = 24;
constexpr int kMaxThumbSide = 64;
