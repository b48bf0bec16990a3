// The chat-rooms window: one tab per open room (a site's room or a private room), the line of
// who is typing under the tabs, and a link to the help.
#ifndef PARLAVOX_GUI_ROOMS_CHATROOMSNOTEBOOK_H
#define PARLAVOX_GUI_ROOMS_CHATROOMSNOTEBOOK_H

#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <map>
#include <string>
#include <vector>

#include "widgets/tabbedNotebook.h"

class ChatRoomPanel;
class ContactInfo;
class FileMessage;
class Manager;
class Message;
class RoomsHost;
class URLContactInfo;

class ChatRoomsNotebook : public wxFrame {
 public:
  // Tab images.
  enum { IMAGE_SITE = 0, IMAGE_PRIVATE = 1, IMAGE_NEW_MESSAGE = 2 };
  // An unseen tab blinks this many ticks of this length, then keeps the unread image.
  static const int kBlinkTicks = 30;
  static const int kBlinkMs = 500;

  // `host` (may be null) hears what the pages ask of the main window.
  ChatRoomsNotebook(Manager* manager, wxWindow* parent, RoomsHost* host);
  ~ChatRoomsNotebook() override;
  // The idle pass skips this window while hidden, and the top-level windows it owns.
  bool SendIdleEvents(wxIdleEvent& event) override;

  // Creates the room's page and tab, selects it and writes `notice` as its first line. A URL
  // already open gets a second tab: callers look first.
  ChatRoomPanel* CreateChatRoom(const std::string& url, const wxString& caption, const wxString& notice);
  // Rooms are named by their exact bytes; the first page of that name counts.
  int GetChatRoomIndex(const std::string& url) const;
  ChatRoomPanel* GetChatRoom(const std::string& url) const;
  bool IsChatRoomOpened(const std::string& url) const { return GetChatRoomIndex(url) >= 0; }
  int GetNbrChatRooms() const;
  // Whether `page` is still one of the tabs (a page whose tab closes is not).
  bool HasPage(const wxWindow* page) const;
  void FocusOnChatRoom(const std::string& url);
  // Shows the window at the event loop's next turn: the turn that made a room's page has had
  // its share of time already.
  void ShowSoon();
  // Closes the room's tab as the user does: the room is left.
  void CloseChatRoom(const std::string& url);

  // Shows a message in its room, makes an unseen tab blink and asks for the user's attention
  // when the window is not active. The caller keeps the message.
  void AddMessage(Message* message);
  void AddFileMessage(FileMessage* message);
  void BanChatRoom(const std::string& url);
  void SetConnectionStatus(bool connected);

  // Members (chatRoomsNotebookMembers.cpp).
  // The subscription's strings: the room's URL, then the number of members as a decimal text.
  void OnSubscribeChatRoomAck(wxCommandEvent& event);
  // The payload is the new private room's URLContactInfo.
  void OnCreateVirtualChatRoomAck(wxCommandEvent& event);
  // The server refused the room: a page waiting to enter it again says why and stays closed.
  void RoomRefused(const std::string& url, const wxString& reason);
  void UpdateContact(const URLContactInfo& update);
  void AddContacts(const std::string& url, std::vector<ContactInfo*> contacts, bool notify);
  void AddContact(const std::string& url, const ContactInfo& contact);
  void RemoveContact(const std::string& url, const std::string& login);
  void RemoveContact(const std::string& login);
  void UpdateAvatar(const std::string& login);

  // What a page asks of the main window.
  void OnOpenPrivateChatRoom(const std::string& login);
  void BlockContact(const std::string& login, const std::string& message);
  void UnblockContact(const std::string& login, const std::string& message);
  void OpenComments(const std::string& url);

  // Typing (chatRoomsNotebookTyping.cpp): the user's own, on its way to the server, and other
  // users', shown one line per room under the tabs.
  void OnKeyTyped(const std::string& url, bool typing);
  void SetKeyTyped(const std::string& url, const std::string& login, const std::string& nickname, bool typing);

  TabbedNotebook* GetNotebook() const { return m_notebook; }
  wxStaticText* GetTypingText() const { return m_typingText; }
  // The typing line as written, without the breaks its wrapping adds.
  const wxString& GetTypingLine() const { return m_typingLine; }
  void OnBlinkTimer(wxTimerEvent& event);
  // The entries the window keeps about rooms, their blinking and who types in them: none for a
  // room without a tab.
  size_t GetRoomEntries() const { return m_blinkCount.size() + m_typingContacts.size(); }

 private:
  void OnCloseTab(TabbedNotebookEvent& event);
  void OnTabChanged(TabbedNotebookEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnActivate(wxActivateEvent& event);
  void OnHelp(wxMouseEvent& event);
  // The room's own tab image: private or site.
  int RoomImage(const std::string& url) const;
  // The desktop's attention, asked once per burst for a window on screen.
  void AskAttention();
  // Typing: drops `login` from the rooms, one room or all; the line is written again.
  void StopTyping(const std::string& login, const std::string& url);
  void StopTypingEverywhere(const std::string& login);
  void ClearTyping();
  void WriteTypingLine();
  void FitTypingLine();
  void OnTypingSized(wxSizeEvent& event);
  static constexpr int kTypingMinHeight = 28;

  Manager* m_manager;
  RoomsHost* m_host;
  TabbedNotebook* m_notebook = nullptr;
  wxStaticText* m_typingText = nullptr;
  wxTimer m_blinkTimer;
  wxTimer m_showTimer;
  TabImageList m_imageList;
  std::map<std::string, int> m_blinkCount;
  bool m_blinkOn = false;
  bool m_attentionAsked = false;
  std::map<std::string, std::vector<std::string>> m_typingContacts;
  wxString m_typingLine;  // as written, before it is wrapped
  int m_typingWidth = -1;

  wxDECLARE_EVENT_TABLE();
};

#endif
