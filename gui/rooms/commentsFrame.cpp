#include "gui/rooms/commentsFrame.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstring>

#include "core/application.h"
#include "gui/rooms/commentsPane.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/roomsHost.h"
#include "gui/webBrowser.h"
#include "gui/windowIcon.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlInfo.h"
#include "widgets/focusReturn.h"
#include "widgets/keptOnTop.h"

namespace {

const wxWindowID ID_SEND = wxNewId();
const wxWindowID ID_COMMENT_TEXT = wxNewId();
const wxWindowID ID_GRADE_CHOICE = wxNewId();
const wxWindowID ID_HTML_WINDOW = wxNewId();

const char kPlaceholderPage[] = "<html><body>(Error while downloading ...)</body></html>";

}  // namespace

std::vector<CommentsFrame*> CommentsFrame::sm_frames;

wxBEGIN_EVENT_TABLE(CommentsFrame, wxFrame)
  EVT_CLOSE(CommentsFrame::OnClose)
  EVT_BUTTON(ID_SEND, CommentsFrame::OnSendComment)
  EVT_COMBOBOX(ID_GRADE_CHOICE, CommentsFrame::OnCommentUpdated)
  EVT_TEXT(ID_COMMENT_TEXT, CommentsFrame::OnCommentUpdated)
wxEND_EVENT_TABLE()

CommentsFrame::CommentsFrame(wxWindow* parent, RoomsHost* host, Manager* manager, const std::string& url,
                             const std::string& idComments, float meanGrade, const std::string& userComment,
                             int userGrade)
    : wxFrame(parent, wxID_ANY, _("Comments on ") + std2wx(url), wxDefaultPosition, wxSize(400, 400),
              wxDEFAULT_FRAME_STYLE),
      m_host(host),
      m_manager(manager),
      m_url(url),
      m_idComments(idComments),
      m_userComment(userComment),
      m_userGrade(userGrade) {
  TRACE_START_ARGS("%s", url.c_str());
  SetBackgroundColour(*wxWHITE);
  SetProgramIcon(this);
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  auto* main = new wxBoxSizer(wxVERTICAL);
  SetSizer(main);

  auto* last = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Last 10 comments :"));
  m_htmlWindow = new CommentsPane(last->GetStaticBox(), ID_HTML_WINDOW);
  last->Add(m_htmlWindow, 1, wxEXPAND | wxALL, 4);
  main->Add(last, 1, wxEXPAND | wxALL, 4);
  BuildCommentBox(main, meanGrade);

  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(wxColour(0, 0, 255));
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &CommentsFrame::OnHelp, this);
  main->Add(help, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);
  // As large as its contents need in the font in use, which a larger font makes more than the
  // usual size, and never made smaller than that.
  const wxSize least = main->ComputeFittingWindowSize(this);
  SetMinSize(least);
  wxSize size = GetSize();
  size.IncTo(least);
  SetSize(size);
  TRACE_END();
}

void CommentsFrame::BuildCommentBox(wxSizer* main, float meanGrade) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Add/Update your comment :"));
  wxStaticBox* frame = box->GetStaticBox();
  m_commentText = new wxTextCtrl(frame, ID_COMMENT_TEXT, std2wx(m_userComment), wxDefaultPosition, wxSize(-1, 60),
                                 wxTE_MULTILINE);
  // At larger fonts 60 pixels hold less than two lines: it takes the tool kit's height for them.
  m_commentText->SetMinSize(wxSize(-1, std::max(60, m_commentText->GetBestSize().y)));
  box->Add(m_commentText, 0, wxEXPAND | wxTOP, 8);

  auto* grades = new wxBoxSizer(wxHORIZONTAL);
  grades->Add(new wxStaticText(frame, wxID_ANY, _("Your grade:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  wxArrayString choices;
  for (int grade = 0; grade <= 10; ++grade) choices.Add(wxString::Format("%d", grade));
  m_gradeChoice = new wxComboBox(frame, ID_GRADE_CHOICE, wxEmptyString, wxDefaultPosition, wxSize(50, -1), choices,
                                 wxCB_READONLY | wxCB_DROPDOWN);
  // 50 pixels leave no room for the grade beside the toolkit's arrow here.
  m_gradeChoice->SetMinSize(wxSize(std::max(50, m_gradeChoice->GetBestSize().x), -1));
  if (m_userGrade >= 0 && m_userGrade <= 10) m_gradeChoice->SetSelection(m_userGrade);
  grades->Add(m_gradeChoice, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  grades->Add(new wxStaticText(frame, wxID_ANY, _("Mean grade:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  // As large as the largest grade it may show, so that a new one never runs into "Send".
  m_meanGrade = new wxStaticText(frame, wxID_ANY, wxEmptyString);
  wxSize largest;
  for (float grade : {99.0f, 10.0f}) {
    m_meanGrade->SetLabel(MeanGradeText(grade));
    largest.IncTo(m_meanGrade->GetBestSize());
  }
  m_meanGrade->SetLabel(MeanGradeText(meanGrade));
  m_meanGrade->SetMinSize(largest);
  grades->Add(m_meanGrade, 0, wxALIGN_CENTER_VERTICAL, 0);
  grades->AddStretchSpacer(1);
  m_sendButton = new wxButton(frame, ID_SEND, _("Send"));
  m_sendButton->Disable();
  grades->Add(m_sendButton, 0, wxTOP, 4);
  box->Add(grades, 0, wxEXPAND | wxALL, 4);

  // Tells why a comment did not go; hidden otherwise.
  m_notice = new wxStaticText(frame, wxID_ANY, wxEmptyString);
  m_notice->SetForegroundColour(wxColour(255, 0, 0));
  m_notice->Hide();
  box->Add(m_notice, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 4);
  main->Add(box, 0, wxEXPAND | wxALL, 4);
}

CommentsFrame::~CommentsFrame() {
  sm_frames.erase(std::remove(sm_frames.begin(), sm_frames.end(), this), sm_frames.end());
}

wxString CommentsFrame::MeanGradeText(float grade) {
  if (!(grade <= 10.0f)) return _("(no grade)");
  return wxString::Format("%.1f", grade);
}

CommentsFrame* CommentsFrame::Find(const std::string& url) {
  for (CommentsFrame* frame : sm_frames)
    if (frame->m_url == url) return frame;
  return nullptr;
}

CommentsFrame* CommentsFrame::CreateCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager,
                                                const URLInfo& site) {
  return CreateCommentsFor(parent, host, manager, site.GetURL(), site.GetIdComments(), site.GetGrade(),
                           site.GetUserComment(), site.GetUserGrade());
}

CommentsFrame* CommentsFrame::CreateCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager,
                                                const std::string& url, const std::string& idComments,
                                                float meanGrade, const std::string& userComment, int userGrade) {
  TRACE_START_ARGS("%s", url.c_str());
  // One window per site, kept up to date with each opening of its room.
  if (CommentsFrame* existing = Find(url)) {
    existing->m_roomOpen = true;
    existing->Refill(idComments, meanGrade, userComment, userGrade);
    TRACE_END_RESULT("updated");
    return existing;
  }
  auto* frame = new CommentsFrame(parent, host, manager, url, idComments, meanGrade, userComment, userGrade);
  sm_frames.push_back(frame);
  TRACE_END();
  return frame;
}

void CommentsFrame::Refill(const std::string& idComments, float meanGrade, const std::string& userComment,
                           int userGrade) {
  // What the user is writing in a shown window stays, and what a hidden one keeps unsent; a
  // hidden one with nothing unsent shows the stored values.
  const bool keep = IsShown() || HasUnsent();
  m_idComments = idComments;
  m_meanGrade->SetLabel(MeanGradeText(meanGrade));
  m_userComment = userComment;
  m_userGrade = userGrade;
  if (!keep) RestoreStored();
}

void CommentsFrame::OpenCommentsFor(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  if (CommentsFrame* frame = Find(url)) {
    frame->Show(true);
    frame->Raise();
    TRACE_END_RESULT("found");
    return;
  }
  TRACE_END();
}

void CommentsFrame::OpenCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager, const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  if (!Find(url)) {
    if (!manager || url.compare(0, std::strlen(kPrivateRoomPrefix), kPrivateRoomPrefix) == 0) {
      TRACE_END_RESULT("no site");
      return;
    }
    const URLInfo* site = manager->GetURLInfo(url);
    auto* frame = new CommentsFrame(parent, host, manager, url, site->GetIdComments(), site->GetGrade(),
                                    site->GetUserComment(), site->GetUserGrade());
    // No room to come back to: hidden again, it goes.
    frame->m_roomOpen = false;
    sm_frames.push_back(frame);
    TRACE_INFO("made");
  }
  OpenCommentsFor(url);
  TRACE_END();
}

void CommentsFrame::UpdateComment(const std::string& url, int nbrComments, float meanGrade) {
  TRACE_START_ARGS("%s, %d", url.c_str(), nbrComments);
  for (CommentsFrame* frame : sm_frames)
    if (frame->m_url == url) frame->m_meanGrade->SetLabel(MeanGradeText(meanGrade));
  TRACE_END();
}

void CommentsFrame::SiteClosed(const std::string& url) {
  CommentsFrame* frame = Find(url);
  if (!frame) return;
  TRACE_STARTEND_ARGS("%s, %s", url.c_str(), frame->IsShown() ? "shown" : "hidden");
  frame->m_roomOpen = false;
  if (!frame->IsShown() && !frame->Reachable()) frame->Retire();
}

void CommentsFrame::RoomTabClosed(const std::string& url) {
  // The tab is still counted while it closes: asking whether it is open would keep the window.
  CommentsFrame* frame = Find(url);
  if (frame && !frame->IsShown() && !frame->m_roomOpen) frame->Retire();
}

void CommentsFrame::AllSitesClosed() {
  // Retiring takes a window out of the registry.
  std::vector<CommentsFrame*> frames = sm_frames;
  for (CommentsFrame* frame : frames) SiteClosed(frame->m_url);
}

void CommentsFrame::Retire() {
  if (m_retired) return;
  m_retired = true;
  sm_frames.erase(std::remove(sm_frames.begin(), sm_frames.end(), this), sm_frames.end());
  // Deleted at the next idle turn, not here: the caller may be one of its own handlers, or
  // the main window walking its children.
  wxTheApp->ScheduleForDestruction(this);
}

void CommentsFrame::CloseAll() {
  // Each window leaves the registry as it is destroyed.
  std::vector<CommentsFrame*> frames = sm_frames;
  for (CommentsFrame* frame : frames) frame->Close(true);
}

bool CommentsFrame::Show(bool show) {
  const bool changed = wxFrame::Show(show);
  if (show) LoadPage();
  // Hidden where nothing can show it again: nothing to keep.
  else if (!Reachable()) Retire();
  return changed;
}

bool CommentsFrame::Reachable() const {
  return m_roomOpen || (HasUnsent() && m_host && m_host->HasRoomTab(m_url));
}

int CommentsFrame::StoredGradeEntry() const {
  return m_userGrade >= 0 && m_userGrade <= 10 ? m_userGrade : wxNOT_FOUND;
}

bool CommentsFrame::HasUnsent() const {
  return m_commentText->GetValue() != std2wx(m_userComment) || m_gradeChoice->GetSelection() != StoredGradeEntry();
}

void CommentsFrame::LoadPage() {
  const std::string address = comments::PageAddress(m_idComments, m_manager ? m_manager->GetLogin() : "");
  TRACE_START_ARGS("%s", address.c_str());
  m_htmlWindow->SetPage(kPlaceholderPage);
  const int number = ++m_loadNumber;
  // Shown only if the window still exists and asked for nothing since; else dropped.
  wxWeakRef<CommentsFrame> self(this);
  comments::FetchInBackground(address, [self, number](const comments::Page& page) {
    if (!self || self->m_loadNumber != number || !page.ok) return;
    self->m_htmlWindow->ShowPage(page.body);
    ++self->m_pagesShown;
  });
  TRACE_END();
}

void CommentsFrame::OnCommentUpdated(wxCommandEvent&) {
  const bool tooLong = m_commentText->GetValue().length() > Config::GetInstance()->GetMessageMaxLength();
  // Cut once the toolkit has finished its own change: changing the text inside its change
  // breaks the multi-line field.
  if (tooLong) CallAfter(&CommentsFrame::HoldLength);
  m_sendButton->Enable(m_gradeChoice->GetSelection() >= 0 && !tooLong);
}

void CommentsFrame::HoldLength() {
  const size_t max = Config::GetInstance()->GetMessageMaxLength();
  const wxString text = m_commentText->GetValue();
  if (text.length() <= max) return;
  wxBell();
  m_commentText->ChangeValue(text.Left(max));
  m_commentText->SetInsertionPointEnd();
  m_sendButton->Enable(m_gradeChoice->GetSelection() >= 0);
}

void CommentsFrame::ShowNotice(const wxString& text) {
  m_notice->SetLabel(text);
  m_notice->Show(!text.empty());
  Layout();
}

void CommentsFrame::OnSendComment(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_url.c_str());
  const wxString text = m_commentText->GetValue();
  const int grade = m_gradeChoice->GetSelection();
  if (!m_manager || !m_manager->IsConnected()) {
    ShowNotice(_("Not connected: your comment was not sent."));
    TRACE_END_RESULT("not connected");
    return;
  }
  // Refused before it goes: the server would drop a longer one.
  if (text.length() > Config::GetInstance()->GetMessageMaxLength() || grade < 0) {
    wxBell();
    TRACE_END_RESULT("refused");
    return;
  }
  const bool sent = m_host ? m_host->SendComment(m_url, wx2std(text), grade)
                           : m_manager->SendComment(m_url, wx2std(text), grade);
  if (!sent) {
    ShowNotice(_("Your comment could not be sent."));
    TRACE_END_RESULT("not sent");
    return;
  }
  ShowNotice(wxEmptyString);
  m_sendButton->Disable();
  // Stored first: hidden, the window holds nothing unsent.
  m_userComment = wx2std(text);
  m_userGrade = grade;
  Show(false);
  TRACE_END();
}

void CommentsFrame::RestoreStored() {
  m_commentText->ChangeValue(std2wx(m_userComment));
  m_gradeChoice->SetSelection(StoredGradeEntry());
  // Nothing changed since the last store: nothing to send.
  m_sendButton->Disable();
  ShowNotice(wxEmptyString);
}

void CommentsFrame::OnClose(wxCloseEvent& event) {
  TRACE_START();
  if (event.CanVeto()) {
    RestoreStored();
    Show(false);
    event.Veto();
  } else {
    Destroy();
  }
  TRACE_END();
}

void CommentsFrame::OnHelp(wxMouseEvent&) { browser::OpenUserGuide("comments"); }
