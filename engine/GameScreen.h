#pragma once

// Every viewport coordinate lies in this fixed game screen.
constexpr int kGameScreenWidth = 1024;
constexpr int kGameScreenHeight = 768;
