// The contacts manager's requests list: one row per request, answer, check, block or invitation,
// newest at the top, in a scrolling area.
#include <wx/button.h>
#include <wx/intl.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <chrono>

#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "model/contactEvent.h"
#include "model/log.h"

namespace {

// The list shows this height (five rows) at least and asks for no more whatever it holds, so that
// the window does not grow with the rows: they scroll instead. It takes any height the window
// gains.
const int kListHeight = 200;

// Rows are made for at most this long in one go; the rest of a burst waits for the timer, which
// lets the window handle the user's input and draw in between.
const std::chrono::milliseconds kRequestsTurn(20);
// Events further apart than this begin a burst of their own.
const std::chrono::milliseconds kBurstGap(50);
const int kRequestsPauseMs = 5;

class RequestsList : public wxScrolledWindow {
 public:
  explicit RequestsList(wxWindow* parent)
      : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kListHeight), wxVSCROLL | wxALWAYS_SHOW_SB) {}

 protected:
  // As wide as the widest row and a scroll bar, whether the bar is shown now or not.
  wxSize DoGetBestSize() const override {
    wxSize best = GetSizer() ? GetSizer()->GetMinSize() : wxSize();
    best.x += wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    best.y = kListHeight;
    return best;
  }
};

}  // namespace

void ContactsShortFrame::BuildRequestsBox(wxSizer* frameSizer) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Requests sent to/by other Parlavoxers"));
  m_requestsList = new RequestsList(this);
  m_requestsList->SetBackgroundColour(*wxWHITE);
  m_requestsSizer = new wxBoxSizer(wxVERTICAL);
  m_requestsList->SetSizer(m_requestsSizer);
  m_requestsList->SetScrollRate(0, 32);
  m_requestsList->SetMinSize(wxSize(-1, kListHeight));
  m_requestsList->SetVirtualSize(m_requestsList->GetBestVirtualSize());
  box->Add(m_requestsList, 1, wxEXPAND | wxALL, 4);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  m_clearButton = new wxButton(this, wxID_ANY, _("Clear all"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_clearButton->Disable();
  m_clearButton->Bind(wxEVT_BUTTON, &ContactsShortFrame::OnRemoveContactEvents, this);
  m_requestsTimer.SetOwner(this);
  Bind(wxEVT_TIMER, &ContactsShortFrame::OnRequestsTimer, this, m_requestsTimer.GetId());
  buttons->Add(m_clearButton, 0, 0, 0);
  box->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 4);
  frameSizer->Add(box, 1, wxEXPAND | wxALL, 8);
}

void ContactsShortFrame::UpdateContactEvent(const ContactEvent& event) {
  if (!m_pendingRequests.empty() || RequestsTurnSpent()) {
    m_pendingRequests.push_back(event);
    m_clearButton->Enable();
    if (!m_requestsTimer.IsRunning()) m_requestsTimer.StartOnce(kRequestsPauseMs);
    return;
  }
  ListRequest(event);
}

size_t ContactsShortFrame::GetWaitingRequests() const { return m_pendingRequests.size(); }

bool ContactsShortFrame::RequestsTurnSpent() {
  const auto now = std::chrono::steady_clock::now();
  if (now - m_lastRequestAt > kBurstGap) m_requestsTurnStart = now;
  m_lastRequestAt = now;
  return now - m_requestsTurnStart > kRequestsTurn;
}

void ContactsShortFrame::OnRequestsTimer(wxTimerEvent&) {
  TRACE_START_ARGS("%zu", m_pendingRequests.size());
  const auto start = std::chrono::steady_clock::now();
  size_t listed = 0;
  while (listed < m_pendingRequests.size() && std::chrono::steady_clock::now() - start < kRequestsTurn)
    ListRequest(m_pendingRequests[listed++]);
  m_pendingRequests.erase(m_pendingRequests.begin(), m_pendingRequests.begin() + listed);
  m_requestsTurnStart = m_lastRequestAt = std::chrono::steady_clock::now();
  if (!m_pendingRequests.empty()) m_requestsTimer.StartOnce(kRequestsPauseMs);
  TRACE_END_RESULT("%zu left", m_pendingRequests.size());
}

void ContactsShortFrame::ListRequest(const ContactEvent& event) {
  TRACE_START_ARGS("%ld, %d, %s", event.GetId(), event.GetType(), event.GetLogin().c_str());
  const ShortContactInfoPanel* previous = FindRequestRow(event.GetId());
  // A check's answer opens the invitation by itself, but only in place of the check the user
  // made from here: a server cannot raise the question unasked.
  const bool ask = event.GetType() == CE_REGISTERED && previous && previous->GetEventType() == CE_CHECKING;
  DropRequestRow(event.GetId());
  auto* row = new ShortContactInfoPanel(m_requestsList, this, m_manager, event);
  m_requestRows.push_back(row);
  m_requestsSizer->Insert(0, row, 0, wxEXPAND, 0);
  m_clearButton->Enable();
  LayOutRequestsSoon();
  if (ask) row->AskLater();
  TRACE_END();
}

void ContactsShortFrame::LayOutRequestsSoon() {
  // Events come in bursts (a server may send hundreds at once): the list and the window are laid
  // out once for all the rows of a burst, when the event loop turns.
  if (m_requestsLayoutDue) return;
  m_requestsLayoutDue = true;
  // New rows are not drawn where they were made meanwhile.
  m_requestsList->Freeze();
  CallAfter([this] {
    m_requestsLayoutDue = false;
    ShowFromTop();
    m_requestsList->Thaw();
    Fit();
    Layout();
  });
}

ShortContactInfoPanel* ContactsShortFrame::FindRequestRow(long id) const {
  // An event that expects no answer has no id of its own (-1): each one keeps its row.
  if (id == -1) return nullptr;
  for (ShortContactInfoPanel* row : m_requestRows)
    if (row->GetEventId() == id) return row;
  return nullptr;
}

void ContactsShortFrame::DropRequestRow(long id) {
  if (ShortContactInfoPanel* row = FindRequestRow(id)) {
    m_requestRows.erase(std::find(m_requestRows.begin(), m_requestRows.end(), row));
    row->Discard();
  }
}

void ContactsShortFrame::RemoveContactEvent(long id) {
  if (id != -1)
    m_pendingRequests.erase(std::remove_if(m_pendingRequests.begin(), m_pendingRequests.end(),
                                           [id](const ContactEvent& event) { return event.GetId() == id; }),
                            m_pendingRequests.end());
  DropRequestRow(id);
  ShowFromTop();
}

void ContactsShortFrame::RemoveContactEvents() {
  TRACE_START_ARGS("%zu", m_requestRows.size());
  m_pendingRequests.clear();
  m_requestsTimer.Stop();
  {
    wxWindowUpdateLocker frozen(m_requestsList);
    std::vector<ShortContactInfoPanel*> rows;
    rows.swap(m_requestRows);
    for (ShortContactInfoPanel* row : rows) row->Discard();
    ShowFromTop();
  }
  m_clearButton->Disable();
  TRACE_END();
}

void ContactsShortFrame::OnRemoveContactEvents(wxCommandEvent&) { RemoveContactEvents(); }

void ContactsShortFrame::ShowFromTop() {
  m_requestsList->FitInside();
  m_requestsList->Layout();
  m_requestsList->Scroll(wxDefaultCoord, 0);
}
