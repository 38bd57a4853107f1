#include "prescan/scan_state.h"

namespace vz {

int g_firstPaint = 1;
HWND g_scanDialog = nullptr;
StageIcons g_stageIcons;
char g_series2000Names[kSeries2000Count][kVirusNameCapacity];
char g_series8000Names[kSeries8000Count][kVirusNameCapacity];

const Series5000Entry kSeries5000[kSeries5000Count] = {
    {"Anxiety", {}},
    {"Cabanas", {}},
};

}  // namespace vz
