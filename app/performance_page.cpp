// The performance page: the two history graphs and the sampler thread that draws them.

#include "app/CpuUseage.h"

TUseage* CpuGraph = nullptr;
TUseage* MemGraph = nullptr;
TSetThread* SetThread = nullptr;

void TMainForm::StartGraphs() {}

void TMainForm::UpdateGraphs() {}

void TMainForm::StopGraphs() {}
