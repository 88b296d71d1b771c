#pragma once

#include <QtGlobal>

// The overall light; a smaller value is a worse light.
enum Light : quint8 {
    LightNone = 0,
    LightRed = 1,
    LightYellow = 2,
    LightGreen = 3,
};
