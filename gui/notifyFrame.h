// The notification pop-up: one small window for the whole program that slides up at the bottom
// right corner of the screen, stays five seconds and hides. It keeps the last 100 notifications,
// which the user pages through with two arrows; a click on one hides the pop-up and has the main
// window carry out the notification's action. GUI thread only.
#ifndef PARLAVOX_GUI_NOTIFYFRAME_H
#define PARLAVOX_GUI_NOTIFYFRAME_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "gui/notifyAction.h"
#include "model/contactInfo.h"

class MainFrame;
class NotifyPanel;
class wxStaticBitmap;
class wxStaticText;

// Draws a notification's picture when the notification is first put on display.
using NotifyPicture = std::function<wxBitmap()>;

// One stored notification; `layout` is the form of the content (see NotifyPanel).
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
  // Set while the picture is still to be drawn: most notices of a crowd are never shown (only
  // the last 100 are kept, and a burst shows once), so their pictures are never drawn.
  NotifyPicture drawPicture;
};

class NotifyFrame : public wxFrame {
 public:
  static constexpr size_t kMaxItems = 100;

  // Makes the pop-up, a child of the main window, unless it exists.
  static void CreateInstance(MainFrame* parent);
  static NotifyFrame* GetInstance();

  // Each stores one notification and returns the pop-up, on which the caller calls Popup().
  // Two coloured lines, or one when text2 is empty:
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxColour& colour, const wxString& text2, const wxColour& colour2);
  // A picture and two lines:
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxBitmap& bitmap, const wxString& text2);
  // The same, with a picture drawn only if the notification is ever shown:
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      NotifyPicture picture, const wxString& text2);
  // A picture and a contact's presence:
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      const wxBitmap& bitmap, t_status status);
  // The same, with a picture drawn only if the notification is ever shown:
  static NotifyFrame* AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                      NotifyPicture picture, t_status status);

  // Shows the notification at the current index and starts or prolongs the display. In a burst
  // of notices the display follows at most once per burst span.
  virtual void Popup();
  void UpdateCounter();

  void OnTimer(wxTimerEvent& event);
  // A click on the content: hide, then carry out the notification's action.
  void OnClose(wxMouseEvent& event);
  void OnNext(wxMouseEvent& event);
  void OnPrevious(wxMouseEvent& event);
  // The close picture: hide, nothing else.
  void OnHide(wxMouseEvent& event);

  // The pop-up never keeps the program running on its own.
  bool ShouldPreventAppExit() const override { return false; }
  // The theme's font and colours of the frame, read once: every redraw of the slide asks for
  // them, and the toolkit reads them out of the theme at each question.
  wxVisualAttributes GetDefaultAttributes() const override;
  // The idle pass skips this window while hidden, and the top-level windows it owns.
  bool SendIdleEvents(wxIdleEvent& event) override;

  int GetIndex() const { return m_index; }
  size_t GetCount() const { return m_items.size(); }
  // The notification at `index`, or null when there is none there.
  const NotifyItem* GetItem(size_t index) const { return index < m_items.size() ? m_items[index].get() : nullptr; }
  // 0 idle or hidden, 1 to 99 sliding in, 100 prolonging, 1000 displayed.
  int GetSlide() const { return m_slide; }

 private:
  explicit NotifyFrame(MainFrame* parent);
  ~NotifyFrame() override;

  static NotifyFrame* Add(std::unique_ptr<NotifyItem> item);
  const NotifyItem* Current() const;
  wxStaticBitmap* HeaderPicture(const char* name);
  void BindClicks(wxWindow* window);
  void StopAndHide();
  // Starts or prolongs the display; `rightAway` for the user's own paging.
  void Present(bool rightAway);
  // The burst goes on: the current notice is put on display once the span since the last
  // deferred display is over (at the loop's next turn when it already is).
  void ShowLater(std::chrono::steady_clock::time_point now);
  void ShowDue();
  // Puts the notification at the current index on display.
  void ShowCurrent();
  // Sizes the frame to the notice on display, never under its usual size.
  void FitToContent();

  wxStaticText* m_title = nullptr;
  wxStaticText* m_counter = nullptr;
  MainFrame* m_mainFrame;
  NotifyPanel* m_panel = nullptr;
  int m_index = -1;
  std::vector<std::unique_ptr<NotifyItem>> m_items;
  wxTimer m_timer;
  int m_slide = 0;
  // The display has begun (its first step may not have come yet): notices coming before it
  // neither start it over nor take the user back to the newest.
  bool m_begun = false;
  // How many notices of the burst were put on display at once, and whether one waits for the
  // burst's end. A burst lasts until no notice came for a span; after its first few the display
  // follows at most once a span, whatever the number of notices.
  size_t m_shownInBurst = 0;
  bool m_showDue = false;
  bool m_showArmed = false;
  std::chrono::steady_clock::time_point m_burstUntil;
  std::chrono::steady_clock::time_point m_deferredAt;
  wxTimer m_showTimer;
  static constexpr size_t kShowsPerBurst = 8;
  static constexpr std::chrono::milliseconds kBurstSpan{100};
  int m_x = 0;
  int m_y = 0;
  // The screen's work area, asked of the display server when the pop-up begins to slide in: each
  // question is a round trip, and a burst of notices shows many of them in one slide.
  wxRect m_area;
  mutable wxVisualAttributes m_look;
  mutable bool m_lookRead = false;
  // The shared content panels, one per layout 1 to 4, made once and reused.
  NotifyPanel* m_panels[4] = {};
};

#endif
