#include "gui/notifyFrame.h"

#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "gui/dockPlacement.h"
#include "gui/mainFrame.h"
#include "gui/notifyPanel.h"
#include "gui/slidingPopup.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/idlePass.h"
#include "widgets/shownText.h"

namespace {

NotifyFrame* g_instance = nullptr;

const wxWindowID kTimerId = wxWindow::NewControlId();
const wxWindowID kShowTimerId = wxWindow::NewControlId();
const wxColour kBackground(211, 211, 211);
const wxSize kFrameSize(252, 102);
constexpr int kSlideSteps = 99;
constexpr int kSlideTickMs = 10;
constexpr int kDisplayMs = 5000;
constexpr int kProlong = 100;
constexpr int kDisplayed = 1000;
constexpr size_t kMaxLine = 80;
constexpr size_t kMaxLines = 4;

// The room of the widest counter the pop-up may show, "(100/100)" in the widest digit of the
// label's font: the label keeps one width whatever it counts, and never cuts its brackets.
int CounterWidth(wxStaticText* label) {
  const wxString bound = wxString::Format("%zu", NotifyFrame::kMaxItems);
  int width = 40;
  for (char digit = '0'; digit <= '9'; ++digit) {
    const wxString widest(digit, bound.length());
    width = std::max(width, label->GetTextExtent("(" + widest + "/" + widest + ")").x);
  }
  return width;
}

}  // namespace

void NotifyFrame::CreateInstance(MainFrame* parent) {
  TRACE_START();
  if (!g_instance) new NotifyFrame(parent);
  TRACE_END();
}

NotifyFrame* NotifyFrame::GetInstance() { return g_instance; }

NotifyFrame::NotifyFrame(MainFrame* parent)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxSIMPLE_BORDER | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR),
      m_mainFrame(parent),
      m_timer(this, kTimerId),
      m_showTimer(this, kShowTimerId) {
  TRACE_START();
  SetBackgroundColour(kBackground);
  slidingPopup::PlaceByItsOwnCorner(this);
  SetSize(kFrameSize);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);

  auto* header = new wxBoxSizer(wxHORIZONTAL);
  header->Add(HeaderPicture("voxie.png"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
  m_title = new wxStaticText(this, wxID_ANY, _("Notifications"), wxDefaultPosition, wxDefaultSize,
                             wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  header->Add(m_title, 1, wxALIGN_CENTER_VERTICAL, 0);
  wxStaticBitmap* previous = HeaderPicture("arrow_left.png");
  header->Add(previous, 0, 0, 0);
  m_counter = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  m_counter->SetMinSize(wxSize(CounterWidth(m_counter), -1));
  header->Add(m_counter, 0, wxALIGN_CENTER_VERTICAL, 0);
  wxStaticBitmap* next = HeaderPicture("arrow_right.png");
  header->Add(next, 0, 0, 0);
  wxStaticBitmap* close = HeaderPicture("close.png");
  header->Add(close, 0, wxLEFT, 8);
  sizer->Add(header, 0, wxEXPAND, 0);
  Layout();

  previous->Bind(wxEVT_LEFT_UP, &NotifyFrame::OnPrevious, this);
  next->Bind(wxEVT_LEFT_UP, &NotifyFrame::OnNext, this);
  close->Bind(wxEVT_LEFT_UP, &NotifyFrame::OnHide, this);
  Bind(wxEVT_LEFT_UP, &NotifyFrame::OnClose, this);
  Bind(wxEVT_TIMER, &NotifyFrame::OnTimer, this, kTimerId);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ShowDue(); }, kShowTimerId);

  g_instance = this;
  m_panels[0] = new NotifyPanel(this, wxEmptyString, *wxBLACK, wxEmptyString, *wxBLACK);
  m_panels[1] = new NotifyPanel(this, wxEmptyString, *wxBLACK);
  m_panels[2] = new NotifyPanel(this, wxEmptyString, wxNullBitmap, STATUS_OFFLINE);
  m_panels[3] = new NotifyPanel(this, wxEmptyString, wxNullBitmap, wxEmptyString);
  for (NotifyPanel* panel : m_panels) {
    panel->Hide();
    BindClicks(panel);
  }
  TRACE_END();
}

NotifyFrame::~NotifyFrame() {
  m_timer.Stop();
  m_showTimer.Stop();
  if (g_instance == this) g_instance = nullptr;
}

wxStaticBitmap* NotifyFrame::HeaderPicture(const char* name) {
  return new wxStaticBitmap(this, wxID_ANY, wxBitmap(std2wx(Config::GetImagePath(name)), wxBITMAP_TYPE_PNG));
}

void NotifyFrame::BindClicks(wxWindow* window) {
  window->Bind(wxEVT_LEFT_UP, &NotifyFrame::OnClose, this);
  for (wxWindow* child : window->GetChildren()) BindClicks(child);
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxColour& colour, const wxString& text2, const wxColour& colour2) {
  return Add(std::unique_ptr<NotifyItem>(new NotifyItem{action, text2.empty() ? 2 : 1, title, text, wxNullBitmap,
                                                        colour, text2, colour2, STATUS_OFFLINE, nullptr}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxBitmap& bitmap, const wxString& text2) {
  return Add(std::unique_ptr<NotifyItem>(
      new NotifyItem{action, 4, title, text, bitmap, wxNullColour, text2, wxNullColour, STATUS_OFFLINE, nullptr}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          NotifyPicture picture, const wxString& text2) {
  return Add(std::unique_ptr<NotifyItem>(new NotifyItem{action, 4, title, text, wxNullBitmap, wxNullColour, text2,
                                                        wxNullColour, STATUS_OFFLINE, std::move(picture)}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxBitmap& bitmap, t_status status) {
  return Add(std::unique_ptr<NotifyItem>(
      new NotifyItem{action, 3, title, text, bitmap, wxNullColour, wxEmptyString, wxNullColour, status, nullptr}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          NotifyPicture picture, t_status status) {
  return Add(std::unique_ptr<NotifyItem>(new NotifyItem{action, 3, title, text, wxNullBitmap, wxNullColour,
                                                        wxEmptyString, wxNullColour, status, std::move(picture)}));
}

// Called for each notice of a crowd: the operation that makes the notice traces.
NotifyFrame* NotifyFrame::Add(std::unique_ptr<NotifyItem> item) {
  // Without a main window (it has gone, or was never made) the pop-up stands alone.
  if (!g_instance) CreateInstance(nullptr);
  NotifyFrame* self = g_instance;
  // Names in a notice come from other users and the server: no control or reordering character
  // and no endless line reaches the screen, whoever made the notice.
  for (wxString* text : {&item->title, &item->text, &item->text2}) *text = shown::Lines(*text, kMaxLine, kMaxLines);
  self->m_items.push_back(std::move(item));
  const int count = static_cast<int>(self->m_items.size());
  // Whoever was looking at the newest keeps looking at the newest.
  if (self->m_index + 1 == count - 1) ++self->m_index;
  if (self->m_items.size() > kMaxItems) {
    self->m_items.erase(self->m_items.begin());
    if (self->m_index > 0) --self->m_index;
  }
  self->UpdateCounter();
  return self;
}

void NotifyFrame::UpdateCounter() {
  m_counter->SetLabel(wxString::Format("(%d/%d)", m_index + 1, static_cast<int>(m_items.size())));
}

const NotifyItem* NotifyFrame::Current() const {
  if (m_index < 0 || static_cast<size_t>(m_index) >= m_items.size()) return nullptr;
  return m_items[m_index].get();
}

void NotifyFrame::Popup() { Present(false); }

void NotifyFrame::Present(bool rightAway) {
  if (m_slide > kProlong) {
    m_slide = kProlong;
  } else if (m_slide == 0 && !m_begun) {
    m_begun = true;
    m_timer.Start(kSlideTickMs);
    SetSize(kFrameSize);
    m_area = dock::WorkArea(m_mainFrame);
    m_x = m_area.GetRight() + 1 - GetSize().GetWidth() - 10;
    m_y = m_area.GetBottom() + 1 - 5;
    Move(m_x, m_y);
    m_index = static_cast<int>(m_items.size()) - 1;
    UpdateCounter();
  }
  const auto now = std::chrono::steady_clock::now();
  if (rightAway) {
    m_showDue = false;
    ShowCurrent();
    return;
  }
  // Hundreds of notices in one go (a server's burst, a crowd logging in) are not each laid
  // out in turn: the pop-up shows the first few at once, then the newest once per span until
  // the burst is over. A burst lasts as long as the notices come less than a span apart, slowly
  // or not: a loaded machine that lets them come only every few turns of the loop would
  // otherwise have every one of them laid out, which slows them further.
  if (now >= m_burstUntil) m_shownInBurst = 0;
  m_burstUntil = now + kBurstSpan;
  if (m_shownInBurst >= kShowsPerBurst) {
    ShowLater(now);
    return;
  }
  ++m_shownInBurst;
  m_showDue = false;
  ShowCurrent();
}

void NotifyFrame::ShowLater(std::chrono::steady_clock::time_point now) {
  m_showDue = true;
  if (m_showArmed) return;
  m_showArmed = true;
  const auto ready = m_deferredAt + kBurstSpan;
  if (now >= ready) {
    CallAfter([this] { ShowDue(); });
  } else {
    m_showTimer.StartOnce(int(std::chrono::duration_cast<std::chrono::milliseconds>(ready - now).count()) + 1);
  }
}

void NotifyFrame::ShowDue() {
  m_showArmed = false;
  // Hidden meanwhile: nothing to show.
  if (!m_showDue) return;
  m_showDue = false;
  m_deferredAt = std::chrono::steady_clock::now();
  ShowCurrent();
}

void NotifyFrame::ShowCurrent() {
  if (!Current()) return;
  NotifyItem* item = m_items[size_t(m_index)].get();
  if (item->drawPicture) {
    item->bitmap = item->drawPicture();
    item->drawPicture = nullptr;
  }
  // The panel of the layout already shown stays in place: hiding and showing it again would
  // have the tool kit unmap, map and measure it anew at every notice.
  NotifyPanel* panel = m_panels[item->layout - 1];
  if (m_panel && m_panel != panel) {
    GetSizer()->Detach(m_panel);
    m_panel->Hide();
  }
  panel->SetContent(item->text, item->colour, item->text2, item->colour2, item->bitmap, item->status);
  panel->Layout();
  if (m_panel != panel) {
    GetSizer()->Add(panel, 1, wxEXPAND, 0);
    panel->Show();
  }
  m_panel = panel;
  // A label given its text again is measured and laid out again by the toolkit, with the whole
  // pop-up around it; most notices have the same title.
  if (m_title->GetLabelText() != item->title) m_title->SetLabelText(item->title);
  FitToContent();
  Layout();
  // A notice must not take the keyboard from what the user is typing.
  if (!IsShown()) {
    ShowWithoutActivating();
    slidingPopup::KeepWholePicture(this);
  }
}

void NotifyFrame::FitToContent() {
  // Never smaller than its usual size; taller when the notice needs more lines.
  const wxSize needed = GetSizer()->GetMinSize() + (GetSize() - GetClientSize());
  // Never beyond the screen either, whatever a notice holds.
  if (m_area.IsEmpty()) m_area = dock::WorkArea(m_mainFrame);
  const wxSize size(std::min(std::max(kFrameSize.x, needed.x), m_area.width - 20),
                    std::min(std::max(kFrameSize.y, needed.y), m_area.height - 10));
  const wxSize grown = size - GetSize();
  if (grown == wxSize(0, 0)) return;
  // Its right and bottom edges stay where they were: the slide ends with the whole pop-up
  // inside the screen, however large it is.
  m_x -= grown.x;
  m_y -= grown.y;
  SetSize(m_x, m_y, size.x, size.y);
}

bool NotifyFrame::SendIdleEvents(wxIdleEvent& event) { return idlePass::SendToShown(this, event); }

wxVisualAttributes NotifyFrame::GetDefaultAttributes() const {
  if (!m_lookRead) {
    m_look = wxFrame::GetDefaultAttributes();
    m_lookRead = true;
  }
  return m_look;
}

void NotifyFrame::OnTimer(wxTimerEvent&) {
  ++m_slide;
  if (m_slide > kDisplayed) {
    StopAndHide();
  } else if (m_slide > kSlideSteps) {
    m_slide = kDisplayed;
    m_timer.Start(kDisplayMs);
    Update();
  } else {
    // The window system shows the line that rises into view: from the picture it keeps of the
    // pop-up, else by asking the pop-up to draw it.
    --m_y;
    Move(m_x, m_y);
  }
}

void NotifyFrame::StopAndHide() {
  m_begun = false;
  m_showDue = false;
  m_timer.Stop();
  m_slide = 0;
  Hide();
}

void NotifyFrame::OnClose(wxMouseEvent&) {
  TRACE_START();
  StopAndHide();
  const NotifyItem* item = Current();
  if (item && m_mainFrame) {
    const NotifyAction action = item->action;
    m_mainFrame->ExecuteNotifyAction(action);
  }
  TRACE_END();
}

void NotifyFrame::OnHide(wxMouseEvent&) {
  TRACE_START();
  StopAndHide();
  TRACE_END();
}

void NotifyFrame::OnNext(wxMouseEvent&) {
  TRACE_START();
  m_timer.Stop();
  if (m_index < static_cast<int>(m_items.size()) - 1) {
    ++m_index;
    UpdateCounter();
    Present(true);
  }
  TRACE_END();
}

void NotifyFrame::OnPrevious(wxMouseEvent&) {
  TRACE_START();
  m_timer.Stop();
  if (m_index > 0) {
    --m_index;
    UpdateCounter();
    Present(true);
  }
  TRACE_END();
}
