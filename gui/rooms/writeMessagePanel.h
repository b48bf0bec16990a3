// The lower pane of a chat-room page: a tool bar (smileys, send a file, the site's comments,
// save the conversation) above the message input.
#ifndef PARLAVOX_GUI_ROOMS_WRITEMESSAGEPANEL_H
#define PARLAVOX_GUI_ROOMS_WRITEMESSAGEPANEL_H

#include <wx/panel.h>
#include <wx/toolbar.h>

class ChatRoomPanel;
class Manager;
class MyTextCtrl;
class Smiley;
class SmileyGrid;

class WriteMessagePanel : public wxPanel {
 public:
  WriteMessagePanel(wxWindow* parent, Manager* manager, ChatRoomPanel* page);
  ~WriteMessagePanel() override;

  void EnableSendMessage(bool enable);
  void Hide();
  void SetFocus() override;
  // The smiley picked in the grid: its first shortcut goes in at the caret, the grid closes.
  void OnActivateSmiley(const Smiley& smiley);

  MyTextCtrl* GetTextCtrl() const { return m_text; }
  wxToolBar* GetToolBar() const { return m_toolBar; }
  SmileyGrid* GetSmileyGrid() const { return m_smileyGrid; }

  static const long ID_SMILEYS;
  static const long ID_SENDFILE;
  static const long ID_COMMENT;
  static const long ID_SAVE;

 private:
  void OnToolBarEvent(wxCommandEvent& event);
  void OnSmileyTool();
  void CloseSmileyGrid();

  ChatRoomPanel* m_page;
  MyTextCtrl* m_text = nullptr;
  wxToolBar* m_toolBar = nullptr;
  SmileyGrid* m_smileyGrid = nullptr;
  Manager* m_manager;

  wxDECLARE_EVENT_TABLE();
};

#endif
