// The modal dialog in which the user adds an account on another messaging network, or edits one:
// the protocols the server offers (with the chosen one's icon), the login, the password, the
// auto-connect flag and one field per parameter of the protocol.
//
// The dialog changes no record while it is open: what the user chose (protocol, login, password,
// flag, parameters) is written into the record by GetMessengerInfo only, after OK. Cancel and the
// close box leave the account as it was. In add mode the dialog makes the record and owns it
// until GetMessengerInfo hands it out; a cancelled record goes with the dialog.
#ifndef PARLAVOX_GUI_PROFILES_MESSENGERDIALOG_H
#define PARLAVOX_GUI_PROFILES_MESSENGERDIALOG_H

#include <wx/dialog.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Manager;
class MessengerInfo;
class wxBoxSizer;
class wxCheckBox;
class wxChoice;
class wxFlexGridSizer;
class wxScrolledWindow;
class wxStaticBitmap;
class wxTextCtrl;

class MessengerDialog : public wxDialog {
 public:
  // A null `info` opens the dialog in add mode, for a new account of the first protocol offered.
  MessengerDialog(wxWindow* parent, Manager* manager, MessengerInfo* info);
  ~MessengerDialog() override;

  // False in add mode when no protocol was offered when the dialog was made: the caller shows
  // its "no messenger" message instead of the dialog.
  bool IsUsable() const { return m_record != nullptr; }
  // After OK: true when the account must connect again, its login, password, protocol or a
  // parameter differing from the record's. The auto-connect flag alone is no change.
  bool HasChanged() const;
  // Writes the dialog's choices into the record and returns it; in add mode the caller owns it
  // from then on.
  MessengerInfo* GetMessengerInfo();

  // The protocol chosen, as an index into the list shown, or -1 when the account's protocol is
  // not offered.
  int GetSelectedProtocol() const { return m_selected; }
  const std::string& GetSelectedProtocolId() const { return m_selectedId; }

  void OnOK(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnChangeProtocol(wxCommandEvent& event);

 private:
  // One protocol of the list, copied when the dialog opens: the server may send a new list while
  // the dialog runs.
  struct Offered {
    std::string id;
    std::string description;
    std::map<std::string, std::string> parameters;
  };

  void BuildProtocolRow(wxBoxSizer* top);
  void BuildButtons(wxBoxSizer* top);
  // Rebuilds the rows under the protocol row for the chosen protocol; `login`, `password` and
  // `autoConnect` go into the fields, `parameters` into one row each.
  void InitFields(const wxString& login, const wxString& password, bool autoConnect,
                  const std::map<std::string, std::string>& parameters);
  void ShowIcon();
  std::map<std::string, std::string> TypedParameters() const;

  Manager* m_manager;
  std::vector<Offered> m_offered;
  int m_selected = -1;
  std::string m_selectedId;
  std::string m_selectedDescription;
  MessengerInfo* m_record = nullptr;
  std::unique_ptr<MessengerInfo> m_owned;  // add mode, until handed out
  wxBoxSizer* m_topSizer = nullptr;
  wxFlexGridSizer* m_grid = nullptr;
  wxChoice* m_protocols = nullptr;
  wxTextCtrl* m_login = nullptr;
  wxTextCtrl* m_password = nullptr;
  wxCheckBox* m_autoConnect = nullptr;
  wxStaticBitmap* m_icon = nullptr;
  wxScrolledWindow* m_parametersPane = nullptr;
  std::vector<std::pair<std::string, wxTextCtrl*>> m_parameterFields;
};

#endif
