// One row of the contacts manager's requests list: when an event about another user arrived, who
// it concerns, what happened and the message that came with it, on a background that tells good
// news from bad. A request that waits for the user's decision (someone asks to add the user,
// an invitation into a private chat room, a login that a check found registered) opens a
// question when the row or its "Answer" button is clicked; the decision goes to the controller
// once, and the row then shows it in place.
//
// Lifetime: a row is taken off the list with Discard(), never destroyed directly. While its
// question is open the row stays alive (hidden) and its answer is dropped; the question itself
// is no child of the row, so even a list torn down under it leaves nothing dangling.
#ifndef PARLAVOX_GUI_CONTACTS_SHORTCONTACTINFOPANEL_H
#define PARLAVOX_GUI_CONTACTS_SHORTCONTACTINFOPANEL_H

#include <wx/colour.h>
#include <wx/panel.h>

#include <string>

#include "model/contactEvent.h"

class Manager;
class wxBoxSizer;
class wxButton;
class wxStaticText;

class ShortContactInfoPanel : public wxPanel {
 public:
  // The id shared by the "Answer" buttons of all rows.
  static const wxWindowID ID_ANSWER;

  ShortContactInfoPanel(wxWindow* parent, wxWindow* frame, Manager* manager, const ContactEvent& event);
  ~ShortContactInfoPanel() override;

  // A copy of the event shown (with the id and the answered flag the row has now).
  ContactEvent GetContactEvent() const;
  long GetEventId() const { return m_event.GetId(); }
  int GetEventType() const { return m_event.GetType(); }

  // Opens the invitation question once, from the event loop.
  void AskLater();
  // Takes the row off the list: hidden and out of its sizer at once, destroyed once no question
  // of the list is open. An answer still being chosen in the row's question is then dropped.
  void Discard();
  bool IsDiscarded() const { return m_discarded; }

  // A click on the row, on one of its texts or on "Answer": the question, when one is due.
  void OnLeftUp(wxMouseEvent& event);
  void OnAnswer(wxCommandEvent& event);
  void OnLeftUp2();
  // The user's decision on a request or an invitation, with its message (UTF-8): sent, then
  // shown. Nothing changes when the controller could not send it.
  void OnAcceptAdd(const std::string& message);
  void OnRefuseAdd(const std::string& message);

  // The look of each kind of event.
  static wxString StatusText(int type);
  static wxColour Background(int type);
  // Longest texts shown (characters): a name, and the message that came with the event.
  static constexpr size_t kShownName = 64;
  static constexpr size_t kShownMessage = 512;

  wxButton* GetAnswerButton() const { return m_answerButton; }
  wxStaticText* GetNameText() const { return m_nameText; }
  wxStaticText* GetStatusLabel() const { return m_statusText; }
  wxStaticText* GetMessageText() const { return m_messageText; }

 private:
  wxStaticText* AddText(wxSizer* sizer, const wxString& text, int proportion, int flags, int border,
                        long style = 0);
  void BuildTexts();
  void SetFonts(wxStaticText* date, wxStaticText* time);
  // Shows a question; the answer, or wxID_NONE when the row went away while it was open (the
  // row may then be destroyed: the caller returns at once). `text` gets the typed message.
  int Ask(wxWindow* near, const wxString& title, const wxString& message, const wxString& prompt,
          const wxString& yes, const wxString& no, const wxString& cancel, std::string* text);
  void AnswerRequest();
  void Invite();
  bool SendAnswer(bool accept, const std::string& message);
  void ShowAnswer(const wxString& status, const wxColour& background);
  wxString Who() const;

  ContactEvent m_event;
  Manager* m_manager;
  wxWindow* m_frame;
  wxBoxSizer* m_sizer = nullptr;
  wxStaticText* m_nameText = nullptr;
  wxStaticText* m_statusText = nullptr;
  wxStaticText* m_messageText = nullptr;
  wxButton* m_answerButton = nullptr;
  bool m_asking = false;
  bool m_discarded = false;

  wxDECLARE_EVENT_TABLE();
};

#endif
