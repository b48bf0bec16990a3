// The window of one site's comments and grade: the latest comments (a page of the maker's
// comments server, fetched in the background), the user's own comment and grade to send, and
// the site's mean grade. One window per site, made hidden when the site's room opens, or when it
// is asked for after its page has closed. It lives while the room is open or while it is shown:
// a hidden one goes with its room, a shown one once the user closes it. Closing it while the room
// is open only hides it and drops what was not sent. One hidden otherwise (the program reduced)
// while it holds what the user typed or chose and did not send stays, with it, as long as its
// room's tab is open, whose button shows it again.
#ifndef PARLAVOX_GUI_ROOMS_COMMENTSFRAME_H
#define PARLAVOX_GUI_ROOMS_COMMENTSFRAME_H

#include <wx/frame.h>

#include <string>
#include <vector>

class CommentsPane;
class Manager;
class RoomsHost;
class URLInfo;
class wxButton;
class wxComboBox;
class wxStaticText;
class wxTextCtrl;

class CommentsFrame : public wxFrame {
 public:
  // `meanGrade` above 10 (99) when none is known, `userGrade` 99 when the user gave none. A
  // comment goes through `host` when there is one (it shows the grade given), else straight to
  // the controller.
  CommentsFrame(wxWindow* parent, RoomsHost* host, Manager* manager, const std::string& url,
                const std::string& idComments, float meanGrade, const std::string& userComment, int userGrade);
  ~CommentsFrame() override;

  // The site's window, made hidden when there is none yet; an existing one takes the record's
  // comments identifier, grades and comment.
  static CommentsFrame* CreateCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager, const URLInfo& site);
  static CommentsFrame* CreateCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager,
                                          const std::string& url, const std::string& idComments, float meanGrade,
                                          const std::string& userComment, int userGrade);
  // Shows the site's window (and loads its page afresh); nothing when the site has none.
  static void OpenCommentsFor(const std::string& url);
  // The same, making the window when the site has none (its page closed since its room opened)
  // from the controller's record of the site: it goes again once hidden. A private room has no
  // comments: nothing is made for it.
  static void OpenCommentsFor(wxWindow* parent, RoomsHost* host, Manager* manager, const std::string& url);
  static void UpdateComment(const std::string& url, int nbrComments, float meanGrade);
  static void CloseAll();
  // The site's room closed (the page closed, the connection ended): its window goes now when
  // hidden, else once the user has closed it, keeping until then what is typed in it.
  static void SiteClosed(const std::string& url);
  static void AllSitesClosed();
  // The site's room's tab closed: a hidden window kept for it goes.
  static void RoomTabClosed(const std::string& url);
  static CommentsFrame* Find(const std::string& url);

  std::string GetURL() const { return m_url; }
  // Showing loads the comments page afresh, in the background.
  bool Show(bool show = true) override;

  // The mean grade as shown: "7.5", or "(no grade)" above 10.
  static wxString MeanGradeText(float grade);

  // For tests and the screen shots.
  wxTextCtrl* GetCommentText() const { return m_commentText; }
  wxComboBox* GetGradeChoice() const { return m_gradeChoice; }
  wxButton* GetSendButton() const { return m_sendButton; }
  wxStaticText* GetMeanGrade() const { return m_meanGrade; }
  wxStaticText* GetNotice() const { return m_notice; }
  CommentsPane* GetPane() const { return m_htmlWindow; }
  // How many pages have been shown since the window was made (the placeholder excepted).
  int GetPagesShown() const { return m_pagesShown; }

 private:
  void OnCommentUpdated(wxCommandEvent& event);
  // Keeps the comment within the configured maximum length (the toolkit does not for a
  // multi-line field).
  void HoldLength();
  void OnSendComment(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnHelp(wxMouseEvent& event);
  void BuildCommentBox(wxSizer* main, float meanGrade);
  void Refill(const std::string& idComments, float meanGrade, const std::string& userComment, int userGrade);
  void RestoreStored();
  // The grade entry of the stored grade; none for "no grade".
  int StoredGradeEntry() const;
  // The comment or grade differs from those last stored: the user's, not sent.
  bool HasUnsent() const;
  // Something can still show the window: its site's room, or its room's tab while it holds what
  // was not sent.
  bool Reachable() const;
  void LoadPage();
  void ShowNotice(const wxString& text);
  // Leaves the registry and is destroyed once the event loop is idle.
  void Retire();

  RoomsHost* m_host;
  Manager* m_manager;
  std::string m_url;
  std::string m_idComments;
  CommentsPane* m_htmlWindow = nullptr;
  wxTextCtrl* m_commentText = nullptr;
  wxStaticText* m_meanGrade = nullptr;
  wxComboBox* m_gradeChoice = nullptr;
  wxButton* m_sendButton = nullptr;
  wxStaticText* m_notice = nullptr;
  std::string m_userComment;
  int m_userGrade;
  // Each load has a number; only the latest one's page is shown.
  int m_loadNumber = 0;
  int m_pagesShown = 0;
  // The site's room is open; when not, hiding the window ends it.
  bool m_roomOpen = true;
  bool m_retired = false;

  static std::vector<CommentsFrame*> sm_frames;

  wxDECLARE_EVENT_TABLE();
};

#endif
