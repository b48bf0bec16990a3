// The notification pop-up: one per program, made with the main window.
#ifndef PARLAVOX_GUI_NOTIFYFRAME_H
#define PARLAVOX_GUI_NOTIFYFRAME_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/frame.h>

#include <memory>
#include <vector>

#include "gui/notifyAction.h"
#include "model/contactInfo.h"

class MainFrame;

// One stored notification; `layout` is the form of the content.
struct NotifyItem {
  NotifyAction action;
  int layout;
  wxString title;
  wxString text;
  wxBitmap bitmap;
  wxColour colour;
  wxString text2;
  wxColour colour2;
  t_status status;
};

class NotifyFrame : public wxFrame {
 public:
  static constexpr size_t kMaxItems = 100;

  // Makes the pop-up unless it exists; it is owned by the main window as a child.
  static void CreateInstance(MainFrame* parent);
  static NotifyFrame* GetInstance();

  // Each stores one notification and returns the pop-up, on which the caller calls Popup().
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxColour& colour, const wxString& text2, const wxColour& colour2);
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxBitmap& bitmap, const wxString& text2);
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxBitmap& bitmap, t_status status);

  // Shows the queued notifications.
  virtual void Popup();

  size_t GetCount() const { return m_items.size(); }
  // The stored notification at `index` (0 the oldest kept), or null.
  const NotifyItem* GetItem(size_t index) const { return index < m_items.size() ? m_items[index].get() : nullptr; }

 private:
  explicit NotifyFrame(MainFrame* parent);
  ~NotifyFrame() override;

  static NotifyFrame* Add(std::unique_ptr<NotifyItem> item);

  std::vector<std::unique_ptr<NotifyItem>> m_items;
};

#endif
