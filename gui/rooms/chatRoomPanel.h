// One page of the chat-rooms window: the room's members on the left, the conversation on the
// right, the message input below both.
#ifndef PARLAVOX_GUI_ROOMS_CHATROOMPANEL_H
#define PARLAVOX_GUI_ROOMS_CHATROOMPANEL_H

#include <wx/colour.h>
#include <wx/longlong.h>
#include <wx/panel.h>
#include <wx/richtext/richtextctrl.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gui/contacts/entryListener.h"
#include "gui/rooms/conversation.h"

class ChatRoomsNotebook;
class ContactEntry;
class ContactInfo;
class FileMessage;
class Manager;
class MemberColumn;
class Message;
class Smiley;
class WriteMessagePanel;

class ChatRoomPanel : public wxPanel, public EntryListener {
 public:
  // The display keeps at most this many paragraphs; past it, its oldest lines are taken off
  // until half of it is left, so that a flood of messages keeps it small and quick.
  static const size_t kMaxParagraphs = 400;

  ChatRoomPanel(Manager* manager, wxWindow* parent, std::string url);
  ~ChatRoomPanel() override;

  std::string GetURL() const { return m_url; }
  void SetFocus() override;
  void Hide();
  // Closed, the page is read-only and keeps no members. When the connection comes back, a page
  // closed with it asks for its room again and stays closed until the room's answer: accepted,
  // it opens; refused, it says so and stays closed.
  void SetConnectionStatus(bool connected);
  bool IsClosed() const { return m_closed; }
  bool IsRejoining() const { return m_rejoining; }
  void RoomAccepted();
  void RoomRefused(const wxString& reason);

  // What the message input hands over. OnSendMessage returns whether the text went (only then
  // is the input emptied); a page whose tab is being closed sends and reports nothing.
  bool OnSendMessage(const wxString& text);
  void OnKeyTyped(bool typing);
  void OpenComments();
  void SaveChatSession();
  void SendFile();

  // File transfers and links (chatRoomPanelFiles.cpp, chatRoomPanelLinks.cpp): a notice for each
  // change of a transfer of the room, with a "Download" link under another user's offer; the
  // user's own offer with its "Cancel" link.
  void AddFileMessage(FileMessage* message);
  void UploadFile(const std::string& key, const std::string& fileName);

  // The conversation (chatRoomPanelDisplay.cpp). Lines are written at once unless the program
  // is busy; then they wait for the next idle time, a slice at a time.
  void AddMessage(Message* message);
  void AddAdminMessage(const wxString& text, time_t time, const wxColour* colour);
  // Writes every line still waiting.
  void FlushLines();
  // Lines or senders' rows wait for the idle time.
  bool HasLinesWaiting() const { return !m_pending.empty() || !m_sendersDue.empty(); }
  wxRichTextCtrl* GetDisplay() const { return m_chatText; }
  // What the display shows, as the saver takes it (chatRoomPanelSave.cpp).
  Conversation Describe();
  WriteMessagePanel* GetWriteMessagePanel() const { return m_writeMessagePanel; }

  // Members (chatRoomPanelMembers.cpp): one row each in the member column, in order of arrival
  // (logins compared exactly), and a colour of the room's own; the user's own login keeps its
  // own colour. UpdateContact is the one way a contact's change reaches the page: `add` lets a
  // contact without a row in, `quiet` adds without a notice, `notify` allows the pop-up and sound.
  void AddContacts(const std::vector<ContactInfo*>& contacts, bool notify);
  void AddContact(const ContactInfo& contact);
  void RemoveContact(const std::string& login);
  // Every member goes at once (the connection ended).
  void RemoveAllContacts();
  void UpdateContact(const ContactInfo& contact, bool notify, bool add, bool quiet);
  void UpdateAvatar(const std::string& login);
  // The member's row window, made now when the row is out of sight; null for no member.
  ContactEntry* FindContact(const std::string& login);
  // The members' logins, first come first, and their number.
  std::vector<std::string> GetMemberLogins() const;
  size_t GetMemberCount() const;
  MemberColumn* GetMemberColumn() const { return m_members; }
  // The colour of the login's name and lines; not IsOk() when it has none.
  wxColour GetMemberColour(const std::string& login) const;

  // What a member row asks for.
  void OnOpenPrivateChatRoom(const std::string& login) override;
  void OnAddContact(const std::string& login, const std::string& message) override;
  void OnRemoveContact(const std::string& login, const std::string& message) override;
  void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) override;
  void OnBlockContact(const std::string& login, const std::string& message) override;
  void OnUnblockContact(const std::string& login, const std::string& message) override;

 private:
  // One line of the conversation, as it was written (the save describes the lines from these).
  struct Line {
    bool notice = false;
    std::string login;
    std::string nickname;
    std::string text;  // the message's text (UTF-8), or the notice's
    time_t time = 0;
    wxColour colour;
    bool stamped = true;  // a notice with its time (a file notice has none)
    // A notice's link after its text and where it leads; once used, the link is its word alone.
    wxString linkText;
    std::string linkTarget;
    size_t paragraphs = 0;  // what it takes in the display, once written
    bool repeated = false;  // a line of the room's history has been recognised as this one
  };
  // True when the history line is one the page shows already (each shown line answers for one
  // history line); it is then not written again.
  bool ShowsAlready(const Message& message);

  void SetUpStyles();
  void Build(wxWindow* parent);
  void OnChatTextChar(wxKeyEvent& event);
  void OnSplitterSized(wxSizeEvent& event);
  ChatRoomsNotebook* Notebook() const;
  // False once the page is no longer one of the notebook's pages (its tab is closing).
  bool IsOpen() const;
  wxColour SenderColour(const std::string& login, bool history);
  void TakeColour(const std::string& login);
  void ReturnColour(const std::string& login);
  void Announce(const ContactInfo& contact, bool arrival, bool notify);
  // UpdateContact, AddContact and RemoveContact without their traces, for those that call them
  // in a loop.
  void ApplyContact(const ContactInfo& contact, bool notify, bool add, bool quiet);
  void AddRow(const ContactInfo& contact);
  void RemoveRow(const std::string& login);

  // Writing (chatRoomPanelDisplay.cpp).
  void Submit(Line line);
  void Write(Line line);
  void WriteNotice(const Line& line);
  void WriteMessage(const Line& line);
  void DecomposeMessage(std::string text, const std::string& login);
  // A message's text cut at the sender's smileys: runs of text and smileys, in order.
  struct Piece {
    std::string text;  // the text, or the smiley's shortcut as written
    Smiley* smiley = nullptr;
  };
  std::vector<Piece> Pieces(std::string text, const std::string& login) const;
  void DescribeLine(const Line& line, Conversation* conversation) const;
  void LookForURL(const wxString& text);
  // Takes a few of the oldest lines off the top of the display (no more than kTrimStep
  // paragraphs at a time, so that the turn's clock is looked at between steps); true while
  // more than half of the bound is left.
  bool TrimOldest();
  // Leaves the lines waiting that the display can keep, and room for them (see the display's file).
  void MakeRoom();
  bool RestOver();
  static const size_t kTrimStep = 50;
  // Writes waiting lines, while the turn has time when `timed`; true when some are left for the
  // next turn. Timed, a round of writing begins once the last one's rest is over (see the display's
  // file).
  bool WritePending(bool timed);
  // Has the next idle time write the lines and refresh the rows that wait.
  void Wait();
  // Refreshes the rows of the senders whose lines came while the turn had no time left.
  void RefreshSenders();
  static void OnAppIdle(wxIdleEvent& event);
  // The turn's time counts from here, when it did not already: what a page's making takes is
  // the turn's share of time too.
  static void StartTurnClock();

  // Files and links (chatRoomPanelFiles.cpp, chatRoomPanelLinks.cpp).
  void WriteLink(const Line& line);
  void WriteFileNotice(const wxString& text, const wxColour& colour, const wxString& linkText = wxString(),
                       const std::string& linkTarget = std::string());
  void OnURL(wxTextUrlEvent& event);
  void ChooseColour(const std::string& login);
  void Download(const std::string& target, const std::string& key, const std::string& fileName, long clicked);
  // Makes the link to `target` (the one around `clicked` when there are several) its plain word.
  void ReplaceLink(const std::string& target, long clicked, const wxString& word);

  Manager* m_manager;
  wxRichTextAttr m_timeStyle;
  wxRichTextAttr m_nicknameStyle;
  wxRichTextAttr m_textStyle;
  wxRichTextAttr m_noticeStyle;
  wxRichTextAttr m_saysStyle;
  WriteMessagePanel* m_writeMessagePanel = nullptr;
  wxBoxSizer* m_sizer = nullptr;
  MemberColumn* m_members = nullptr;
  wxSplitterWindow* m_splitter = nullptr;
  wxRichTextCtrl* m_chatText = nullptr;
  wxSplitterWindow* m_chatSplitter = nullptr;
  std::string m_url;
  bool m_showClosedNotice = true;
  bool m_closed = false;
  bool m_rejoining = false;
  // The splitters are placed once they have a size of their own.
  bool m_membersPlaced = false;
  bool m_inputPlaced = false;
  std::vector<wxColour> m_freeColours;
  std::map<std::string, wxColour> m_contactColours;

  std::deque<Line> m_pending;  // waiting to be written
  std::deque<Line> m_written;  // what the display shows, oldest first
  size_t m_paragraphs = 0;
  bool m_trimming = false;  // taking the oldest lines off, down to half the bound
  // How many of the lines waiting the round of writing still writes, when the last round ended,
  // and the processor time the writing of the round (the last or the current one) took.
  size_t m_roundLeft = 0;
  wxLongLong m_roundEnded = 0;
  std::chrono::nanoseconds m_roundWork{};
  std::set<std::string> m_sendersDue;  // logins whose rows wait for the idle time
};

#endif
