// The chat-rooms window: its tabs, finding and focusing rooms, messages handed to their pages,
// the blinking of unseen tabs, closing a tab or the window, and the help link.
#include "gui/rooms/chatRoomsNotebook.h"

#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/messageText.h"
#include "gui/rooms/roomsHost.h"
#include "gui/webBrowser.h"
#include "gui/windowIcon.h"
#include "model/config.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/message.h"
#include "model/stringConversion.h"
#include "model/version.h"
#include "widgets/focusReturn.h"
#include "widgets/idlePass.h"
#include "widgets/keptOnTop.h"
#include "widgets/userAttention.h"

namespace {

const long kNotebookId = wxNewId();
const long kBlinkTimerId = wxNewId();
// No close button at the strip's end, no scroll arrows, a close button on the selected tab,
// Ctrl+Tab lists the tabs, a button lists every tab, a right click offers the properties.
const long kNotebookStyle = 0x8 | 0x10 | 0x200 | 0x2000 | 0x4000 | 0x20000;
const int kTabImageSize = 16;

}  // namespace

wxBEGIN_EVENT_TABLE(ChatRoomsNotebook, wxFrame)
  EVT_TABBEDNOTEBOOK_PAGE_CLOSING(kNotebookId, ChatRoomsNotebook::OnCloseTab)
  EVT_TABBEDNOTEBOOK_PAGE_CHANGED(kNotebookId, ChatRoomsNotebook::OnTabChanged)
  EVT_CLOSE(ChatRoomsNotebook::OnClose)
  EVT_ACTIVATE(ChatRoomsNotebook::OnActivate)
  EVT_TIMER(kBlinkTimerId, ChatRoomsNotebook::OnBlinkTimer)
wxEND_EVENT_TABLE()

ChatRoomsNotebook::ChatRoomsNotebook(Manager* manager, wxWindow* parent, RoomsHost* host)
    : wxFrame(parent, wxID_ANY, _("Chatrooms"), wxPoint(50, 50), wxSize(600, 440), wxDEFAULT_FRAME_STYLE),
      m_manager(manager),
      m_host(host),
      m_blinkTimer(this, kBlinkTimerId) {
  TRACE_START();
  m_showTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Show(true); });
  SetProgramIcon(this);
  SetBackgroundColour(*wxWHITE);
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  for (const char* name : {"website.png", "user.png", "newmsg.png"})
    m_imageList.Add(pictures::Load(name, kTabImageSize));

  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_notebook = new TabbedNotebook(this, kNotebookId, wxDefaultPosition, wxDefaultSize, kNotebookStyle,
                                  "Tabbed Notebook");
  m_notebook->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  m_notebook->SetTabAreaColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  m_notebook->SetImageList(&m_imageList);
  sizer->Add(m_notebook, 1, wxEXPAND, 0);

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(bottom, 0, wxEXPAND | wxTOP | wxBOTTOM, 4);
  m_typingText = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(-1, kTypingMinHeight),
                                  wxST_NO_AUTORESIZE);
  m_typingText->SetMinSize(wxSize(-1, kTypingMinHeight));
  m_typingText->Bind(wxEVT_SIZE, &ChatRoomsNotebook::OnTypingSized, this);
  bottom->Add(m_typingText, 1, wxEXPAND | wxLEFT, 8);
  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(*wxBLUE);
  help->Bind(wxEVT_LEFT_UP, &ChatRoomsNotebook::OnHelp, this);
  bottom->Add(help, 0, wxRIGHT, 8);

  SetSizer(sizer);
  SetMinSize(wxSize(200, 200));
  Layout();
  TRACE_END();
}

bool ChatRoomsNotebook::SendIdleEvents(wxIdleEvent& event) { return idlePass::SendToShown(this, event); }

ChatRoomsNotebook::~ChatRoomsNotebook() {
  m_blinkTimer.Stop();
  // The pages go before the image list the notebook points at.
  if (m_notebook) m_notebook->SetImageList(nullptr);
}

int ChatRoomsNotebook::GetChatRoomIndex(const std::string& url) const {
  for (int i = 0; i < m_notebook->GetPageCount(); ++i) {
    auto* page = dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)));
    if (page && page->GetURL() == url) return i;
  }
  return -1;
}

ChatRoomPanel* ChatRoomsNotebook::GetChatRoom(const std::string& url) const {
  const int index = GetChatRoomIndex(url);
  return index < 0 ? nullptr : dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(index)));
}

int ChatRoomsNotebook::GetNbrChatRooms() const { return m_notebook->GetPageCount(); }

bool ChatRoomsNotebook::HasPage(const wxWindow* page) const {
  return m_notebook->GetPageIndex(const_cast<wxWindow*>(page)) >= 0;
}

int ChatRoomsNotebook::RoomImage(const std::string& url) const {
  return m_manager->IsPrivateChatRoom(url).empty() ? IMAGE_SITE : IMAGE_PRIVATE;
}

ChatRoomPanel* ChatRoomsNotebook::CreateChatRoom(const std::string& url, const wxString& caption,
                                                 const wxString& notice) {
  TRACE_START_ARGS("%s", url.c_str());
  const int image = url.compare(0, 6, "prv://") == 0 ? IMAGE_PRIVATE : IMAGE_SITE;
  m_blinkCount[url] = -1;
  auto* page = new ChatRoomPanel(m_manager, m_notebook, url);
  m_notebook->AddPage(page, messagetext::Shown(caption), true, image);
  m_notebook->SetSelection(size_t(m_notebook->GetPageCount() - 1));
  page->AddAdminMessage(notice, time(nullptr), wxBLUE);
  Layout();
  TRACE_END();
  return page;
}

void ChatRoomsNotebook::FocusOnChatRoom(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  const int index = GetChatRoomIndex(url);
  if (index >= 0) {
    if (IsShown()) Raise();
    else Show(true);
    Iconize(false);
    m_notebook->SetSelection(size_t(index));
  }
  TRACE_END();
}

void ChatRoomsNotebook::ShowSoon() {
  if (!IsShown() && !m_showTimer.IsRunning()) m_showTimer.StartOnce(1);
}

void ChatRoomsNotebook::CloseChatRoom(const std::string& url) {
  const int index = GetChatRoomIndex(url);
  if (index >= 0) m_notebook->DeletePage(size_t(index), true);
}

// Traced by the main window's handler of the message, once.
void ChatRoomsNotebook::AddMessage(Message* message) {
  const std::string site = message->GetSite();
  const int index = GetChatRoomIndex(site);
  if (message->GetLogin() != m_manager->GetLogin()) {
    // Only a tab blinks: a line for a room without one (it came after the user left) leaves
    // nothing to count.
    if (index >= 0 && index != m_notebook->GetSelection()) {
      m_blinkCount[site] = kBlinkTicks;
      if (!m_blinkTimer.IsRunning()) m_blinkTimer.StartOnce(kBlinkMs);
    }
    if (!IsActive()) AskAttention();
  }
  if (index >= 0) dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(index)))->AddMessage(message);
  else TRACE_INFO("url not found: %s", site.c_str());
}

// A transfer's notice goes to its room's page, if open; a change of state asks for attention.
void ChatRoomsNotebook::AddFileMessage(FileMessage* message) {
  const std::string site = message->GetSite();
  TRACE_START_ARGS("%s %d", site.c_str(), int(message->GetStatus()));
  ChatRoomPanel* page = GetChatRoom(site);
  if (!page) {
    TRACE_END_RESULT("url not found");
    return;
  }
  if (message->GetStatus() != FM_IN_PROGRESS && !IsActive()) AskAttention();
  page->AddFileMessage(message);
  TRACE_END();
}

void ChatRoomsNotebook::AskAttention() {
  // Once asked, the desktop keeps the request until the user comes to the window: a burst of
  // messages asks once.
  if (m_attentionAsked || !IsShown()) return;
  m_attentionAsked = true;
  attention::Ask(this);
}

void ChatRoomsNotebook::OnActivate(wxActivateEvent& event) {
  if (event.GetActive()) m_attentionAsked = false;
  event.Skip();
}

void ChatRoomsNotebook::OnBlinkTimer(wxTimerEvent&) {
  m_blinkOn = !m_blinkOn;
  bool blinking = false;
  for (int i = 0; i < m_notebook->GetPageCount(); ++i) {
    const std::string url = dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)))->GetURL();
    int& count = m_blinkCount[url];
    if (count == -1) {
      m_notebook->SetPageImage(size_t(i), RoomImage(url));
    } else if (count == 0) {
      m_notebook->SetPageImage(size_t(i), IMAGE_NEW_MESSAGE);
    } else {
      m_notebook->SetPageImage(size_t(i), m_blinkOn ? int(IMAGE_NEW_MESSAGE) : RoomImage(url));
      --count;
      blinking = true;
    }
  }
  if (blinking) m_blinkTimer.StartOnce(kBlinkMs);
}

void ChatRoomsNotebook::OnTabChanged(TabbedNotebookEvent& event) {
  auto* page = dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(event.GetSelection())));
  if (!page) return;
  m_notebook->SetPageImage(size_t(event.GetSelection()), RoomImage(page->GetURL()));
  m_blinkCount[page->GetURL()] = -1;
}

void ChatRoomsNotebook::OnCloseTab(TabbedNotebookEvent& event) {
  auto* page = dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(event.GetSelection())));
  if (!page) return;
  const std::string url = page->GetURL();
  TRACE_START_ARGS("%s", url.c_str());
  if (m_host) m_host->UnsubscribeChatRoom(url);
  // What the window kept of the room goes with its tab: over a day, the rooms left would
  // otherwise pile up.
  m_blinkCount.erase(url);
  m_typingContacts.erase(url);
  WriteTypingLine();
  // Its smiley grid goes with it; the notebook destroys the page once this event is over.
  page->Hide();
  TRACE_END();
}

void ChatRoomsNotebook::OnClose(wxCloseEvent& event) {
  TRACE_START();
  if (event.CanVeto()) {
    Show(false);
    event.Veto();
    if (m_host) m_host->ShowChatRoomsButton();
  } else {
    Destroy();
  }
  TRACE_END();
}

void ChatRoomsNotebook::OnHelp(wxMouseEvent&) {
  browser::Open(std::string(PARLAVOX_WEBSITE) + "common/help/" + kProgramVersion + "/userguide.php#chatrooms");
}

void ChatRoomsNotebook::BanChatRoom(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  if (ChatRoomPanel* page = GetChatRoom(url)) {
    page->AddAdminMessage(_("Too many abuses reported. You are banned from this chatroom!"), time(nullptr), wxRED);
    page->SetConnectionStatus(false);
  }
  // Nobody is shown typing in a room the user is out of.
  m_typingContacts.erase(url);
  WriteTypingLine();
  TRACE_END();
}

void ChatRoomsNotebook::SetConnectionStatus(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  // Nobody is known to type once the connection is gone.
  if (!connected) ClearTyping();
  for (int i = 0; i < m_notebook->GetPageCount(); ++i)
    dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)))->SetConnectionStatus(connected);
  TRACE_END();
}

void ChatRoomsNotebook::OnOpenPrivateChatRoom(const std::string& login) {
  if (m_host) m_host->CreateVirtualChatRoom(login);
}

void ChatRoomsNotebook::BlockContact(const std::string& login, const std::string& message) {
  if (m_host) m_host->BlockContact(login, message);
}

void ChatRoomsNotebook::UnblockContact(const std::string& login, const std::string& message) {
  if (m_host) m_host->UnblockContact(login, message);
}

void ChatRoomsNotebook::OpenComments(const std::string& url) {
  if (m_host) m_host->OpenComments(url);
}
