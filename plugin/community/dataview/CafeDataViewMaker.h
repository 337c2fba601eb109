#pragma once
// The maker the plug-in's start-up installs for the trading view's cafe data view
// (PelomarChildMakers::cafeDataView).

#include <memory>

class CPelomarView;
class CPelomarChildView;

std::unique_ptr<CPelomarChildView> MakeCafeDataView(CPelomarView& view);
