// Drag and drop of tabs: the "TNB" payload and the drop target of the strip and the notebook.
#ifndef PARLAVOX_WIDGETS_TABDROPTARGET_H
#define PARLAVOX_WIDGETS_TABDROPTARGET_H

#include <wx/dataobj.h>
#include <wx/dnd.h>

#include <cstdint>

class TabStrip;

// The payload: which strip a drag started from and which page it carries. It names a window by
// address, so it means something only inside the process that made it (checked by pid and magic).
struct TabDragInfo {
  static const uint32_t kMagic = 0x544e4221u;
  uint32_t magic = kMagic;
  int32_t pid = 0;
  TabStrip* container = nullptr;
  int32_t pageIndex = 0;

  TabDragInfo() = default;
  TabDragInfo(TabStrip* strip, int page);
  // Made by this process, for a page index that is not negative.
  bool IsOwn() const;
};

class TabDragInfoDataObject : public wxDataObjectSimple {
 public:
  explicit TabDragInfoDataObject(const wxDataFormat& format);

  size_t GetDataSize() const override { return sizeof(TabDragInfo); }
  bool GetDataHere(void* buffer) const override;
  // Refuses a buffer of any other length than the payload's.
  bool SetData(size_t length, const void* buffer) override;
  using wxDataObjectSimple::GetDataHere;
  using wxDataObjectSimple::GetDataSize;
  using wxDataObjectSimple::SetData;

  const TabDragInfo& GetInfo() const { return m_info; }

 private:
  TabDragInfo m_info;
};

// The format name of a tab drag.
wxDataFormat TabDragFormat();

template <class T>
class TabDropTarget : public wxDropTarget {
 public:
  typedef wxDragResult (T::*Handler)(int x, int y, int pageIndex, wxWindow* sourceStrip);

  TabDropTarget(T* owner, Handler handler) : m_owner(owner), m_handler(handler) {
    m_data = new TabDragInfoDataObject(TabDragFormat());
    SetDataObject(m_data);
  }

  wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult def) override {
    if (!GetData()) return wxDragNone;
    const TabDragInfo& info = m_data->GetInfo();
    if (!info.IsOwn()) return wxDragNone;
    return (m_owner->*m_handler)(x, y, info.pageIndex, reinterpret_cast<wxWindow*>(info.container));
  }

 private:
  T* m_owner;
  Handler m_handler;
  TabDragInfoDataObject* m_data;
};

#endif
