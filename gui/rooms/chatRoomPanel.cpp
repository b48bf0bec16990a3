// The chat-room page: its layout, the display's keys, the connection state, what the input
// and the member rows hand over, and the members' colours.
#include "gui/rooms/chatRoomPanel.h"

#include <wx/intl.h>
#include <wx/utils.h>

#include <algorithm>

#include "core/application.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/conversationDisplay.h"
#include "gui/rooms/memberColumn.h"
#include "gui/rooms/writeMessagePanel.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

// The member column's width and the input's height; the conversation takes what is left.
const int kMembersWidth = 150;
const int kInputHeight = 120;

void SetStyle(wxRichTextAttr* style, const wxColour& colour, bool bold) {
  style->SetTextColour(colour);
  style->SetFontStyle(wxFONTSTYLE_NORMAL);
  style->SetFontWeight(bold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
  style->SetFontUnderlined(false);
}

}  // namespace

ChatRoomPanel::ChatRoomPanel(Manager* manager, wxWindow* parent, std::string url)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_url(std::move(url)) {
  TRACE_START_ARGS("%s", m_url.c_str());
  StartTurnClock();
  SetUpStyles();
  m_freeColours = {wxColour(238, 99, 99), wxColour(60, 179, 113), wxColour(189, 183, 107), wxColour(255, 165, 0),
                   wxColour(205, 92, 92)};
  m_contactColours[m_manager->GetLogin()] = wxColour(106, 90, 205);
  SetBackgroundColour(*wxWHITE);
  Build(parent);
  SetConnectionStatus(m_manager->IsConnected());
  // A page made while offline was never in its room: it is not one that a connection closed.
  m_closed = false;
  Layout();
  TRACE_END();
}

ChatRoomPanel::~ChatRoomPanel() {
  TRACE_STARTEND();
  // The rows go after the page, with its children.
  m_members->ForgetListener();
}

void ChatRoomPanel::SetUpStyles() {
  const wxColour grey(105, 105, 105);
  SetStyle(&m_timeStyle, grey, false);
  SetStyle(&m_nicknameStyle, grey, false);
  SetStyle(&m_textStyle, *wxBLACK, true);
  SetStyle(&m_noticeStyle, wxColour(0, 136, 0), true);
  SetStyle(&m_saysStyle, grey, false);
}

void ChatRoomPanel::Build(wxWindow*) {
  m_sizer = new wxBoxSizer(wxVERTICAL);
  m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D, "splitter");
  m_sizer->Add(m_splitter, 1, wxEXPAND | wxALL, 3);
  m_chatSplitter =
      new wxSplitterWindow(m_splitter, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3DBORDER, "splitter");
  m_members = new MemberColumn(m_manager, m_chatSplitter, this, m_url);
  // Read-only as well as deaf to typed keys: the toolkit's own menu and drops would edit it.
  m_chatText = new ConversationDisplay(m_chatSplitter);
  m_chatText->Bind(wxEVT_CHAR, &ChatRoomPanel::OnChatTextChar, this);
  m_chatText->Bind(wxEVT_TEXT_URL, &ChatRoomPanel::OnURL, this);
  m_chatText->BeginSuppressUndo();
  m_writeMessagePanel = new WriteMessagePanel(m_splitter, m_manager, this);
  m_writeMessagePanel->SetFocus();
  m_chatSplitter->SplitVertically(m_members, m_chatText, 0);
  m_chatSplitter->SetSashGravity(0.0);
  m_chatSplitter->SetMinimumPaneSize(1);
  // The page has no size of its own yet; the member column is placed once it has.
  m_chatSplitter->Bind(wxEVT_SIZE, &ChatRoomPanel::OnSplitterSized, this);
  m_splitter->Bind(wxEVT_SIZE, &ChatRoomPanel::OnSplitterSized, this);
  m_splitter->SplitHorizontally(m_chatSplitter, m_writeMessagePanel, 0);
  m_splitter->SetSashGravity(1.0);
  m_splitter->SetMinimumPaneSize(100);
  SetSizer(m_sizer);
}

void ChatRoomPanel::OnSplitterSized(wxSizeEvent& event) {
  event.Skip();
  const wxSize size = event.GetSize();
  if (event.GetEventObject() == m_chatSplitter && !m_membersPlaced && size.GetWidth() > 2 * kMembersWidth) {
    m_membersPlaced = true;
    m_chatSplitter->SetSashPosition(kMembersWidth, true);
  } else if (event.GetEventObject() == m_splitter && !m_inputPlaced && size.GetHeight() > 2 * kInputHeight) {
    m_inputPlaced = true;
    m_splitter->SetSashPosition(size.GetHeight() - kInputHeight, true);
  }
}

void ChatRoomPanel::OnChatTextChar(wxKeyEvent& event) {
  // Only copying and selecting; nothing typed reaches the conversation.
  if (event.GetModifiers() != wxMOD_CONTROL) return;
  if (event.GetKeyCode() == 3) m_chatText->Copy();
  else if (event.GetKeyCode() == 1) m_chatText->SelectAll();
}

void ChatRoomPanel::SetFocus() {
  if (m_writeMessagePanel) m_writeMessagePanel->SetFocus();
}

void ChatRoomPanel::Hide() {
  m_writeMessagePanel->Hide();
  Show(false);
}

void ChatRoomPanel::SetConnectionStatus(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  if (connected && m_closed) {
    // The room is asked for again; until it answers the page is what it was, closed.
    m_rejoining = true;
    m_manager->SubscribeChatRoom(m_url);
    TRACE_END_RESULT("rejoining");
    return;
  }
  m_writeMessagePanel->EnableSendMessage(connected);
  if (!connected) {
    m_closed = true;
    m_rejoining = false;
    // Members leave with the connection.
    RemoveAllContacts();
    if (m_showClosedNotice) {
      AddAdminMessage(_("Chatroom closed (connection ended)"), time(nullptr), wxBLUE);
      m_showClosedNotice = false;
    }
  }
  Layout();
  TRACE_END();
}

void ChatRoomPanel::RoomAccepted() {
  TRACE_START_ARGS("%s", m_url.c_str());
  m_closed = false;
  m_rejoining = false;
  m_writeMessagePanel->EnableSendMessage(true);
  Layout();
  TRACE_END();
}

void ChatRoomPanel::RoomRefused(const wxString& reason) {
  TRACE_START_ARGS("%s", m_url.c_str());
  if (m_rejoining) {
    m_rejoining = false;
    AddAdminMessage(reason, time(nullptr), wxRED);
  }
  TRACE_END();
}

ChatRoomsNotebook* ChatRoomPanel::Notebook() const {
  wxWindow* tabs = GetParent();
  return tabs ? dynamic_cast<ChatRoomsNotebook*>(tabs->GetParent()) : nullptr;
}

bool ChatRoomPanel::IsOpen() const {
  ChatRoomsNotebook* notebook = Notebook();
  return notebook && notebook->HasPage(this);
}

bool ChatRoomPanel::OnSendMessage(const wxString& text) {
  TRACE_START_ARGS("%s", m_url.c_str());
  const bool sent = IsOpen() && m_manager->SendMessage(m_url, wx2std(text));
  TRACE_INFO("%s", sent ? "sent" : "not sent");
  TRACE_END();
  return sent;
}

void ChatRoomPanel::OnKeyTyped(bool typing) {
  if (ChatRoomsNotebook* notebook = Notebook())
    if (notebook->HasPage(this)) notebook->OnKeyTyped(m_url, typing);
}

// The site's comments come with their own window, which the main window shows, or makes when
// the site's page has closed since the room opened.
void ChatRoomPanel::OpenComments() {
  TRACE_START_ARGS("%s", m_url.c_str());
  if (ChatRoomsNotebook* notebook = Notebook()) notebook->OpenComments(m_url);
  TRACE_END();
}

wxColour ChatRoomPanel::SenderColour(const std::string& login, bool history) {
  auto found = m_contactColours.find(login);
  if (history || found == m_contactColours.end() || !found->second.IsOk()) return wxColour(192, 192, 192);
  return found->second;
}

void ChatRoomPanel::OnOpenPrivateChatRoom(const std::string& login) {
  if (ChatRoomsNotebook* notebook = Notebook()) notebook->OnOpenPrivateChatRoom(login);
}

void ChatRoomPanel::OnAddContact(const std::string& login, const std::string& message) {
  m_manager->SendAddContact(login, message);
}

void ChatRoomPanel::OnRemoveContact(const std::string& login, const std::string& message) {
  m_manager->RemoveContact(login, message);
}

void ChatRoomPanel::OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) {
  m_manager->ReportAbuse(room, login, text);
}

void ChatRoomPanel::OnBlockContact(const std::string& login, const std::string& message) {
  if (ChatRoomsNotebook* notebook = Notebook()) notebook->BlockContact(login, message);
}

void ChatRoomPanel::OnUnblockContact(const std::string& login, const std::string& message) {
  if (ChatRoomsNotebook* notebook = Notebook()) notebook->UnblockContact(login, message);
}
