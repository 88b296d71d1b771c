#pragma once

#include "monitor/Light.h"

// The overall light for upCount of serviceCount services up (serviceCount > 0). Compared exactly in
// whole numbers, so a share that sits on a threshold meets it (53 of 100 meets a Yellow of 53).
Light ChooseLight(int upCount, int serviceCount, double green, double yellow);

// 100 * upCount / serviceCount rounded to the nearest whole number, halves to the even neighbour.
int PercentUpRounded(int upCount, int serviceCount);
