#pragma once
// Where the main window's views sit: each is seen through a viewing area of 256 x 477 pixels,
// the source's at (0, 20) and the target's at (450, 20) of the client area, the middle panel
// between them. A resizable window's views grow with it.

constexpr int ClientWidth = 721;
constexpr int ClientHeight = 512;
constexpr int ViewWidth = 256;
constexpr int ViewHeight = 477;
constexpr int ViewTop = 20;
constexpr int TargetLeft = 450;
constexpr int MiddleWidth = 179;
// The sheet the program starts with.
constexpr int StartWidth = 256;
constexpr int StartHeight = 2048;
