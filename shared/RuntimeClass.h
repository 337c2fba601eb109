#pragma once
// The creatable class of an embedded view: its name and a factory that makes the (not yet
// created) view object. A plug-in hands it to GfxCreateEmbededView and reports it through
// ZIRO_GetRuntimeClass / ZIRO_GetModuleInfo.

class CDbBaseNormalView;

struct CRuntimeClass {
  const char* m_lpszClassName = nullptr;
  CDbBaseNormalView* (*m_pfnCreateObject)() = nullptr;
};
