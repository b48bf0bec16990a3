#include "widgets/tabRendererMgr.h"

#include <wx/module.h>

#include "widgets/tabRendererDefault.h"

namespace {

TabRendererMgr* g_manager = nullptr;

// Renderers hold bitmaps: they must go before the tool kit does, not with static destructors.
class TabRendererModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override {
    delete g_manager;
    g_manager = nullptr;
  }

 private:
  wxDECLARE_DYNAMIC_CLASS(TabRendererModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(TabRendererModule, wxModule);

}  // namespace

TabRendererMgr::TabRendererMgr() {
  // One renderer per look; until the other looks exist they share the default drawing.
  TabSmartPtr<TabRenderer> standard(new TabRendererDefault);
  m_renderers[-1] = standard;
  m_renderers[0x1] = standard;
  m_renderers[0x2] = standard;
  m_renderers[0x100] = standard;
  m_renderers[0x10000] = standard;
}

TabRendererMgr::~TabRendererMgr() {}

TabSmartPtr<TabRenderer> TabRendererMgr::RendererForStyle(long style) {
  int key = -1;
  if (style & 0x1)
    key = 0x1;
  else if (style & 0x2)
    key = 0x2;
  else if (style & 0x100)
    key = 0x100;
  else if (style & 0x10000)
    key = 0x10000;
  return m_renderers[key];
}

TabRendererMgr* GetRendererMgr() {
  if (!g_manager) g_manager = new TabRendererMgr;
  return g_manager;
}
