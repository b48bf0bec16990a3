// The process-wide table of tab renderers, one per look, chosen by the notebook's style word.
#ifndef PARLAVOX_WIDGETS_TABRENDERERMGR_H
#define PARLAVOX_WIDGETS_TABRENDERERMGR_H

#include <map>
#include <memory>

#include "widgets/tabRenderer.h"

template <class T>
using TabSmartPtr = std::shared_ptr<T>;

class TabRendererMgr {
 public:
  TabRendererMgr();
  virtual ~TabRendererMgr();

  // Tests 0x1, 0x2, 0x100, 0x10000 in that order; the first bit set wins, none gives the default.
  TabSmartPtr<TabRenderer> RendererForStyle(long style);

 private:
  std::map<int, TabSmartPtr<TabRenderer>> m_renderers;
};

// The one manager, made on the first call and destroyed when wx shuts down.
TabRendererMgr* GetRendererMgr();

#endif
