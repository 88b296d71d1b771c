#pragma once

#include <QString>
#include <QtGlobal>

// The overall light; a smaller value is a worse light.
enum Light : quint8 {
    LightNone = 0,
    LightRed = 1,
    LightYellow = 2,
    LightGreen = 3,
};

// "green", "yellow", "red"; empty for none.
inline QString LightColourName(Light light) {
    switch (light) {
    case LightGreen:
        return QStringLiteral("green");
    case LightYellow:
        return QStringLiteral("yellow");
    case LightRed:
        return QStringLiteral("red");
    case LightNone:
        break;
    }
    return {};
}
