// The preferences window: presence at log-in, the no-activity delay, connecting at start-up and
// after failures, the file-transfer port, the HTTP proxy, the main window's visibility at start
// and stay-on-top, and what closing the main window does. Every showing reloads the controls from
// the settings; "Save" checks every field first and stores nothing while one is wrong.
#ifndef PARLAVOX_GUI_PREFERENCESFRAME_H
#define PARLAVOX_GUI_PREFERENCESFRAME_H

#include "widgets/myMiniFrame.h"

class Manager;
class PreferencesHost;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxRadioButton;
class wxTextCtrl;

class PreferencesFrame : public MyMiniFrame {
 public:
  // `host` (may be null) applies the stay-on-top choice once saved.
  PreferencesFrame(wxWindow* parent, Manager* manager, PreferencesHost* host);

  // Showing reloads every control from the settings first.
  bool Show(bool show = true) override;
  // The caption's close button: the edits are dropped.
  void OnClose(wxMouseEvent& event) override;

  // Reloads every control from the settings.
  void Cancel();
  // Checks every field, then stores them all and writes the settings file. False, with a
  // message naming the field, when one is wrong, or with the save error when the file cannot be
  // written: nothing is stored then.
  bool Save();

  // Ranges the numeric fields accept.
  static constexpr long kMinNoActivity = 1;
  static constexpr long kMaxNoActivity = 86400;

 private:
  void BuildNetworkBox();
  void BuildInterfaceBox();
  // The first field that is wrong gets the focus and a message; false then.
  bool Validate(long& noActivity, long& filePort, long& proxyPort);
  void Refuse(wxTextCtrl* field, const wxString& message);
  void SelectCloseChoice();

  void EnableSave(wxCommandEvent& event);
  void OnProxyChanged(wxCommandEvent& event);
  void OnSave(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnHelp(wxMouseEvent& event);

  Manager* m_manager;
  PreferencesHost* m_host;
  wxComboBox* m_status = nullptr;
  wxTextCtrl* m_noActivity = nullptr;
  wxTextCtrl* m_filePort = nullptr;
  wxCheckBox* m_autoConnect = nullptr;
  wxCheckBox* m_alwaysTop = nullptr;
  wxCheckBox* m_retry = nullptr;
  wxCheckBox* m_proxy = nullptr;
  wxTextCtrl* m_proxyHost = nullptr;
  wxTextCtrl* m_proxyPort = nullptr;
  wxRadioButton* m_exit = nullptr;
  wxRadioButton* m_reduce = nullptr;
  wxRadioButton* m_ask = nullptr;
  wxButton* m_save = nullptr;
  wxButton* m_cancel = nullptr;
  wxCheckBox* m_visibleOnStart = nullptr;
};

#endif
