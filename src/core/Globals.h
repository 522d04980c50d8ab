// The one program-wide record of settings and run-time state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

constexpr int kMainViewId = 101;      // the main form is shown
constexpr int kKeyboardViewId = 140;  // the overlay editor is shown

struct CORVGlobals {
    int BaudIndex = 0;  // -1: the model's default rate; else an index into kBaudRates
    int ModelIndex = 0;
    uint32_t ModelId = 0;  // ModelIndex + 32771
    std::string ModelName;
    int CurrentViewId = 0;
    int CommPort = 0;  // 1-9
    std::string LastFilePath;
    std::string MainTitle;
    int MaintainAspectRatio = 0;
    // Icons fill the whole icon, cut to its shape (before Maintain Aspect Ratio).
    int CropToFill = 0;
    // Pictures of more than 256 colours are dithered unless this is 0.
    int DitherColours = 1;

    // Sets ModelIndex, ModelId and ModelName from a model index 0-9.
    void SelectModel(int modelIndex);
    // "ORV - " and the model name.
    std::string BuildMainTitle() const;
};

extern CORVGlobals g_Globals;

// Serial time-out in milliseconds.
constexpr int kDefaultSerialTimeout = 3000;
extern int g_nSerialTimeout;

// The serial time-out a command line asks for: "/D" or "/d" and a digit 1-9
// as its first three characters give the digit times 1000 ms; anything else
// gives kDefaultSerialTimeout. commandLine is the arguments only, joined by
// blanks.
int SerialTimeoutFromCommandLine(std::string_view commandLine);

}  // namespace orv
