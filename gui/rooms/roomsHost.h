// What the chat-rooms window and the comments windows ask of the main window: leaving a room
// whose tab closed, the private-room and blocking commands of a member's row, the user's typing
// notices on their way to the server, the tool-bar button that brings a closed chat-rooms window
// back, a site's comments window asked for from a room or kept for its room's tab, and a site's
// comment sent so that the sites panel shows its grade.
#ifndef PARLAVOX_GUI_ROOMS_ROOMSHOST_H
#define PARLAVOX_GUI_ROOMS_ROOMSHOST_H

#include <string>

class RoomsHost {
 public:
  virtual ~RoomsHost() {}
  virtual void UnsubscribeChatRoom(const std::string& room) = 0;
  virtual void CreateVirtualChatRoom(const std::string& login) = 0;
  virtual void BlockContact(const std::string& login, const std::string& message) = 0;
  virtual void UnblockContact(const std::string& login, const std::string& message) = 0;
  // The user typed, or stopped typing, in a room.
  virtual void OnKeyTyped(const std::string& room, bool typing) = 0;
  // The chat-rooms window was closed (hidden).
  virtual void ShowChatRoomsButton() = 0;
  // The site's comments window, shown, made when the site has none (its page closed since).
  virtual void OpenComments(const std::string& url) = 0;
  // Whether the room has a tab in the chat-rooms window.
  virtual bool HasRoomTab(const std::string& url) const = 0;
  // False when the comment could not go.
  virtual bool SendComment(const std::string& url, const std::string& text, int grade) = 0;
};

#endif
