#include "widgets/tabRendererMgr.h"

#include <wx/module.h>

#include "widgets/tabRendererBoxed.h"
#include "widgets/tabRendererDefault.h"
#include "widgets/tabRendererRounded.h"
#include "widgets/tabRendererShaded.h"
#include "widgets/tabRendererSlanted.h"

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
  m_renderers[-1] = TabSmartPtr<TabRenderer>(new TabRendererDefault);
  m_renderers[0x1] = TabSmartPtr<TabRenderer>(new TabRendererBoxed);
  m_renderers[0x2] = TabSmartPtr<TabRenderer>(new TabRendererShaded);
  m_renderers[0x100] = TabSmartPtr<TabRenderer>(new TabRendererSlanted);
  m_renderers[0x10000] = TabSmartPtr<TabRenderer>(new TabRendererRounded);
}

TabRendererMgr::~TabRendererMgr() {}

TabSmartPtr<TabRenderer> TabRendererMgr::RendererForStyle(long style) {
  int32_t key = -1;
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
