// The process-wide table of tab renderers, one per look, chosen by the notebook's style word.
#ifndef PARLAVOX_WIDGETS_TABRENDERERMGR_H
#define PARLAVOX_WIDGETS_TABRENDERERMGR_H

#include <cstdint>
#include <map>

#include "widgets/tabRenderer.h"

// A reference-counted owning pointer. Copies share one record; the last one to let go deletes
// the object. Used on the GUI thread only: the count is not atomic.
template <class T>
class TabSmartPtr {
 public:
  TabSmartPtr() : m_ref(nullptr) {}
  explicit TabSmartPtr(T* object) : m_ref(object ? new SmartPtrRef(object) : nullptr) {}
  TabSmartPtr(const TabSmartPtr& other) : m_ref(other.m_ref) {
    if (m_ref) ++m_ref->m_count;
  }
  TabSmartPtr& operator=(const TabSmartPtr& other) {
    // The other's count is taken before this one lets its own go: releasing may free the object
    // that holds `other`.
    SmartPtrRef* ref = other.m_ref;
    if (m_ref == ref) return *this;
    if (ref) ++ref->m_count;
    Release();
    m_ref = ref;
    return *this;
  }
  virtual ~TabSmartPtr() { Release(); }

  T* get() const { return m_ref ? m_ref->m_object : nullptr; }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  explicit operator bool() const { return m_ref != nullptr; }
  // Number of pointers sharing the object (0 when empty).
  int32_t use_count() const { return m_ref ? m_ref->m_count : 0; }

 private:
  class SmartPtrRef {
   public:
    explicit SmartPtrRef(T* object) : m_object(object), m_count(1) {}
    virtual ~SmartPtrRef() { delete m_object; }
    SmartPtrRef(const SmartPtrRef&) = delete;
    SmartPtrRef& operator=(const SmartPtrRef&) = delete;

    T* m_object;
    int32_t m_count;
  };

  void Release() {
    if (!m_ref) return;
    if (m_ref->m_count == 1)
      delete m_ref;
    else
      --m_ref->m_count;
    m_ref = nullptr;
  }

  SmartPtrRef* m_ref;
};

class TabRendererMgr {
 public:
  TabRendererMgr();
  virtual ~TabRendererMgr();

  // Tests 0x1, 0x2, 0x100, 0x10000 in that order; the first bit set wins, none gives the default.
  TabSmartPtr<TabRenderer> RendererForStyle(long style);

 private:
  std::map<int32_t, TabSmartPtr<TabRenderer>> m_renderers;
};

// The one manager, made on the first call and destroyed when wx shuts down.
TabRendererMgr* GetRendererMgr();

#endif
