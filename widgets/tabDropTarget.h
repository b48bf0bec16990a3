// Drag and drop of tabs: the "TNB" payload, the drag source, the drop target of the strip and the
// notebook, and the registry of live strips through which a payload names its source.
#ifndef PARLAVOX_WIDGETS_TABDROPTARGET_H
#define PARLAVOX_WIDGETS_TABDROPTARGET_H

#include <wx/dataobj.h>
#include <wx/dnd.h>

#include <cstdint>
#include <functional>

class TabStrip;

// The payload. It names its source strip by a token of the registry below, never by address, and
// carries the id of the process that made it: a drop is acted on only inside that process and only
// while the strip is alive.
struct TabDragInfo {
  static const uint32_t kMagic = 0x21424e54u;  // "TNB!"
  uint32_t magic = 0;
  int32_t pid = 0;
  uint64_t token = 0;
  int32_t pageIndex = 0;
  int32_t reserved = 0;

  TabDragInfo() = default;
  TabDragInfo(TabStrip* strip, int page);
  // The live strip this payload names, as a window, when it was made by this process for one of
  // that strip's pages; null otherwise.
  wxWindow* FindSource() const;
};

class TabDragInfoDataObject : public wxDataObjectSimple {
 public:
  explicit TabDragInfoDataObject(const wxDataFormat& format);

  size_t GetDataSize() const override { return sizeof(TabDragInfo); }
  bool GetDataHere(void* buffer) const override;
  // Takes a buffer of exactly the payload's length; anything else is refused and leaves the
  // object empty.
  bool SetData(size_t length, const void* buffer) override;
  using wxDataObjectSimple::GetDataHere;
  using wxDataObjectSimple::GetDataSize;
  using wxDataObjectSimple::SetData;

  const TabDragInfo& GetInfo() const { return m_info; }
  // True after a SetData that was taken.
  bool HasInfo() const { return m_hasInfo; }
  void Reset();

 private:
  TabDragInfo m_info;
  bool m_hasInfo;
};

// The format name of a tab drag.
wxDataFormat TabDragFormat();

// Registry of the tab strips alive in this process, by token. A strip registers when made and
// leaves when destroyed.
uint64_t RegisterTabStrip(TabStrip* strip);
void UnregisterTabStrip(TabStrip* strip);
// 0 when the strip is not registered.
uint64_t TabStripToken(const TabStrip* strip);
// Null when no live strip has this token.
TabStrip* FindTabStrip(uint64_t token);

// The drag source of a tab drag: standard cursors, the strip asked for its drop hint on each
// feedback.
class TabDropSource : public wxDropSource {
 public:
  explicit TabDropSource(TabStrip* strip);
  bool GiveFeedback(wxDragResult effect) override;
  TabStrip* GetStrip() const { return m_strip; }

 private:
  TabStrip* m_strip;
};

// Starts a drag of `page` from `strip` and returns when the drop is over.
void StartTabDrag(TabStrip* strip, int page);
// Runs the drag loop for a prepared source (its data object set). Empty: the platform's
// DoDragDrop. Tests put their own loop here, since a real pointer drag cannot be relied on.
typedef std::function<wxDragResult(TabDropSource& source, int flags)> TabDragLoop;
void SetTabDragLoop(const TabDragLoop& loop);

template <class T>
class TabDropTarget : public wxDropTarget {
 public:
  typedef wxDragResult (T::*Handler)(int x, int y, int pageIndex, wxWindow* sourceStrip);

  TabDropTarget(T* owner, Handler handler) : m_owner(owner), m_handler(handler) {
    m_data = new TabDragInfoDataObject(TabDragFormat());
    SetDataObject(m_data);
  }

  wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult) override {
    // The toolkit may hand over bytes of any length (and ignores a refusal), so the object is
    // emptied first and only a payload that was taken counts.
    m_data->Reset();
    if (!GetData() || !m_data->HasInfo()) return wxDragNone;
    const TabDragInfo& info = m_data->GetInfo();
    wxWindow* source = info.FindSource();
    if (!source) return wxDragNone;
    return (m_owner->*m_handler)(x, y, info.pageIndex, source);
  }

  T* GetOwner() const { return m_owner; }

 private:
  T* m_owner;
  Handler m_handler;
  TabDragInfoDataObject* m_data;
};

#endif
